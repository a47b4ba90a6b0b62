// What a channel hands on to the music code: the pattern-end handler of
// music channels, the per-callback state records, and stopping everything
// from one table of effects.
#include "audio/channel_control.h"
#include "audio/sfx_playback.h"
#include "audio_fixture.h"

namespace tamori::audio::testing {
namespace {

struct ChannelLifecycle : AudioFixture {
  ChannelLifecycle() { fill_effect(0, {30, 1, 4, 0, false}, 2); }
  void start_music_channel(int channel, int32_t pattern_ticks) {
    start_effect_on_channel(audio->channels[channel], channel - kFirstMusicChannel, effects, 0, 0, 0);
    audio->channels[channel].music_flag = 1;
    audio->channels[channel].ticks_remaining = pattern_ticks;
  }
};

int pattern_ends_seen = 0;
int last_pattern_end_channel = -1;
void count_pattern_end(AudioState& audio, int channel) {
  ++pattern_ends_seen;
  last_pattern_end_channel = channel;
  audio.channels[channel].ticks_remaining = 5;  // next pattern
  audio.music.advanced_pattern = true;
}

TEST_F(ChannelLifecycle, MusicChannelsEndPatternsThroughTheHandlerNotTheStopRule) {
  effects[0].loop_start = 3;  // a three-note effect, ended by its length on sfx channels
  start_music_channel(6, 10);
  render_ticks(6, 9);
  EXPECT_NE(audio->channels[6].effect, nullptr);  // plays on past its own length
  render_ticks(6, 1);
  EXPECT_EQ(audio->channels[6].effect, nullptr);  // no handler: the channel stops
  EXPECT_EQ(audio->channels[6].music_flag, 0);

  pattern_ends_seen = 0;
  audio->music.on_pattern_end = count_pattern_end;
  start_music_channel(7, 4);
  const int32_t advanced = audio->music.patterns_advanced;
  mix(4 * kTickSamples + 1);
  EXPECT_EQ(pattern_ends_seen, 1);
  EXPECT_EQ(last_pattern_end_channel, 7);
  EXPECT_EQ(audio->music.patterns_advanced, advanced + 1);
  EXPECT_NE(audio->channels[7].effect, nullptr);
  mix(5 * kTickSamples);
  EXPECT_EQ(pattern_ends_seen, 2);
}

TEST_F(ChannelLifecycle, RecordsTheStateAtEveryTickBoundaryOfACallback) {
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 1), 1);
  render_channel(*audio, 1, 1000, registers);
  const MixChannel& channel = audio->channels[1];
  // Six stretches (five whole ticks and part of a sixth) and the end.
  ASSERT_EQ(channel.state_history_count, 7);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(channel.state_history[i].tick_counter, i + 1) << i;
    EXPECT_EQ(channel.state_history[i].note_index, (i + 1) / 2) << i;
    EXPECT_EQ(channel.state_history[i].effect, &effects[0]) << i;
  }
  EXPECT_EQ(channel.state_history[6].tick_counter, 6);
  // The count starts again each callback: 98 samples end the sixth tick, 21
  // whole ticks follow, then part of one more, and the end.
  render_channel(*audio, 1, kChannelBufferSamples, registers);
  EXPECT_EQ(channel.state_history_count, 24);
  EXPECT_EQ(channel.state_history[0].tick_counter, 6);
  EXPECT_EQ(channel.state_history[1].tick_counter, 7);
}

TEST_F(ChannelLifecycle, StoppingATableStopsOnlyItsEffects) {
  SoundEffect other_table[kSoundEffectCount];
  other_table[0] = effects[0];
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 0), 0);
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, other_table, 1), 1);
  start_music_channel(4, 100);
  stop_cartridge_sounds(*audio, effects);
  EXPECT_EQ(audio->channels[0].effect, nullptr);
  EXPECT_EQ(audio->channels[4].effect, nullptr);
  EXPECT_EQ(audio->channels[4].music_flag, 0);
  EXPECT_EQ(audio->channels[1].effect, &other_table[0]);
  // Playing by pointer: the other table's effect, not ours, is what plays.
  EXPECT_EQ(playing_note(*audio, &effects[0]), -1);
  EXPECT_EQ(playing_note(*audio, &other_table[0]), 0);
}

}  // namespace
}  // namespace tamori::audio::testing
