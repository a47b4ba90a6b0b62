// The mixing step over all channels: covering music, fades, master volume,
// suspension and the soft clip of the sums.
#include "audio/mixer.h"

#include "audio/channel_control.h"
#include "audio/sfx_playback.h"
#include "audio_fixture.h"

namespace tamori::audio::testing {
namespace {

TEST(SoftClip, BendsSumsBeyondTheKnee) {
  struct Case {
    int16_t a, b, sum;
  };
  const Case cases[] = {
      {100, -300, -200},
      {12288, 12287, 24575},
      {12288, 12288, 24576},
      {32767, 32767, 24576 + (65534 - 24576) / 5},
      {-12288, -12288, -24576},
      {-32768, -32768, -24576 - (65536 - 24576) / 5},
      {-20000, -4577, -24576 - 1 / 5},
      {-20000, -4582, -24576 - 6 / 5},
  };
  for (const Case& c : cases) EXPECT_EQ(soft_clip_sum(c.a, c.b), c.sum) << c.a << " + " << c.b;
}

struct Mixer : AudioFixture {
  Mixer() {
    fill_effect(0, {30, 3, 5, 0, false}, 32);
    fill_effect(1, {37, 2, 6, 0, false}, 32);
  }
};

TEST_F(Mixer, SfxChannelCoversItsMusicTrackWhilePlaying) {
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 0), 0);
  std::vector<int16_t> alone = mix(4 * kTickSamples);

  audio = std::make_unique<AudioState>();
  mix(kTickSamples);
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 0), 0);
  start_effect_on_channel(audio->channels[4], 0, effects, 1, 0, 0);
  audio->channels[4].music_flag = 1;
  audio->music.fade_volume = 65536;
  std::vector<int16_t> covered = mix(4 * kTickSamples);
  EXPECT_EQ(covered, alone);

  // Once the effect stops, the music track is heard again.
  ruvo_play_sfx_ex(*audio, -1, 0, 0, effects, 0);
  std::vector<int16_t> after = mix(4 * kTickSamples);
  EXPECT_GT(peak(after, kTickSamples, after.size()), 1000);
}

TEST_F(Mixer, MusicChannelsFollowTheFadeVolume) {
  start_effect_on_channel(audio->channels[5], 1, effects, 1, 0, 0);
  audio->channels[5].music_flag = 1;
  audio->music.fade_volume = 0;
  EXPECT_EQ(peak(mix(4 * kTickSamples), 0, 4 * kTickSamples), 0);
  audio->music.fade_volume = 65536;
  std::vector<int16_t> full = mix(4 * kTickSamples);
  EXPECT_GT(peak(full, kTickSamples, full.size()), 1000);
  EXPECT_EQ(audio->channels[5].oscillator.volume, 6 * 256);
  audio->music.fade_volume = 32768;
  audio->music.music_volume = 128;
  mix(kTickSamples);
  EXPECT_EQ(audio->channels[5].oscillator.volume, 6 * 256 / 4);
}

TEST_F(Mixer, MasterVolumeScalesTheMix) {
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 0), 0);
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 1, 0, 0, effects, 14), 14);  // synthesised, never heard
  std::vector<int16_t> full = mix(3 * kTickSamples);

  audio = std::make_unique<AudioState>();
  mix(kTickSamples);
  audio->sound_volume = 96;
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 0), 0);
  std::vector<int16_t> quiet = mix(3 * kTickSamples);
  ASSERT_GT(peak(full, 0, full.size()), 1000);
  for (size_t i = 0; i < full.size(); ++i) ASSERT_EQ(quiet[i], (96 * full[i]) >> 8) << i;
}

TEST_F(Mixer, SuspendedAudioIsSilentAndHoldsStill) {
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 0), 0);
  audio->suspension = 1;
  EXPECT_EQ(peak(mix(1000), 0, 1000), 0);
  EXPECT_EQ(audio->channels[0].tick_counter, 0);
  audio->suspension = 0;
  mix(1000);
  EXPECT_EQ(audio->channels[0].tick_counter, 6);
}

TEST_F(Mixer, LongRequestsMatchShortOnes) {
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 0), 0);
  std::vector<int16_t> one_call = mix(10000);
  audio = std::make_unique<AudioState>();
  mix(kTickSamples);
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 0), 0);
  std::vector<int16_t> pieces;
  for (int count : {4096, 4096, 1000, 808}) {
    std::vector<int16_t> piece = mix(count);
    pieces.insert(pieces.end(), piece.begin(), piece.end());
  }
  EXPECT_EQ(pieces, one_call);
}

}  // namespace
}  // namespace tamori::audio::testing
