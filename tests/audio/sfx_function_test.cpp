// The cartridge's `sfx` over the sound state: argument forms, channel choice
// and stealing, offsets and lengths, and the host-side playback operations.
#include "audio/sfx_function.h"

#include "audio/channel_control.h"
#include "audio/sfx_playback.h"
#include "audio_fixture.h"

namespace tamori::audio::testing {
namespace {

constexpr SoundNote kLoudNote{33, 0, 5, 0, false};

struct SfxFunction : AudioFixture {
  SfxFunction() {
    for (int i = 0; i < kSoundEffectCount; ++i) fill_effect(i, kLoudNote, 1 + i % 8);
  }
  std::optional<int32_t> call(std::optional<int32_t> effect, std::optional<int32_t> channel = std::nullopt,
                              std::optional<int32_t> offset = std::nullopt,
                              std::optional<int32_t> length = std::nullopt) {
    return sfx(*audio, effects, SfxArguments{effect, channel, offset, length}, true);
  }
  const SoundEffect* playing(int channel) const { return audio->channels[channel].effect; }
};

TEST_F(SfxFunction, IgnoresMissingArgumentsAndChannelsOutOfRange) {
  EXPECT_EQ(call(std::nullopt), std::nullopt);
  EXPECT_EQ(call(3, 4), std::nullopt);
  EXPECT_EQ(call(3, -3), std::nullopt);
  EXPECT_EQ(call(-1, 7), std::nullopt);
  for (int channel = 0; channel < kMixChannelCount; ++channel) EXPECT_EQ(playing(channel), nullptr) << channel;
}

TEST_F(SfxFunction, PlaysOnTheGivenOrFirstFreeChannelWithClampedArguments) {
  EXPECT_EQ(call(5, 2), 2);
  EXPECT_EQ(playing(2), &effects[5]);
  EXPECT_EQ(call(6), 0);
  EXPECT_EQ(call(100), 1);  // clamped to effect 63
  EXPECT_EQ(playing(1), &effects[63]);
  EXPECT_EQ(call(-7, 3), 3);  // below -2: clamped to effect 0
  EXPECT_EQ(playing(3), &effects[0]);
}

TEST_F(SfxFunction, OffsetStartsLaterAndLengthStopsAfterThatManyNotes) {
  fill_effect(9, kLoudNote, 3);
  EXPECT_EQ(call(9, 0, 40, 2), 0);  // offset clamped to note 31
  EXPECT_EQ(audio->channels[0].tick_counter, 31 * 3);
  EXPECT_EQ(call(9, 0, 4, 2), 0);
  EXPECT_EQ(playing_note(*audio, &effects[9]), 4);
  render_ticks(0, 5);
  EXPECT_EQ(playing(0), &effects[9]);
  EXPECT_EQ(playing_note(*audio, &effects[9]), 5);
  render_ticks(0, 1);  // 2 notes * speed 3 ticks
  EXPECT_EQ(playing(0), nullptr);
  EXPECT_EQ(playing_note(*audio, &effects[9]), -1);
}

TEST_F(SfxFunction, RestartingAnEffectChoosesItsChannelAfresh) {
  EXPECT_EQ(call(3, 2), 2);
  EXPECT_EQ(call(3), 0);
  EXPECT_EQ(playing(2), nullptr);
  EXPECT_EQ(playing(0), &effects[3]);
}

TEST_F(SfxFunction, StopForms) {
  call(1, 0);
  call(2, 1);
  call(3, 2);
  call(4, 3);
  EXPECT_EQ(call(-1, 1), -1);
  EXPECT_EQ(playing(1), nullptr);
  EXPECT_EQ(playing(0), &effects[1]);
  EXPECT_EQ(call(-1), -1);
  for (int channel = 0; channel < 4; ++channel) EXPECT_EQ(playing(channel), nullptr) << channel;

  // sfx(n, -2) stops n everywhere, a music track playing it included.
  call(7, 0);
  start_effect_on_channel(audio->channels[5], 5, effects, 7, 0, 0);
  audio->channels[5].music_flag = 1;
  call(8, 1);
  EXPECT_EQ(call(7, -2), std::nullopt);
  EXPECT_EQ(playing(0), nullptr);
  EXPECT_EQ(playing(5), nullptr);
  EXPECT_EQ(audio->channels[5].music_flag, 0);
  EXPECT_EQ(playing(1), &effects[8]);
  EXPECT_EQ(call(64, -2), std::nullopt);  // out of range: nothing
  EXPECT_EQ(playing(1), &effects[8]);
}

TEST_F(SfxFunction, ReleaseClearsLoopingOnOneOrAllChannels) {
  call(1, 0);
  call(2, 3);
  EXPECT_EQ(call(-2, 3), std::nullopt);
  EXPECT_EQ(audio->channels[0].loop_allowed, 1);
  EXPECT_EQ(audio->channels[3].loop_allowed, 0);
  start_effect_on_channel(audio->channels[12], 12, effects, 4, 0, 0);
  EXPECT_EQ(call(-2), std::nullopt);
  EXPECT_EQ(audio->channels[0].loop_allowed, 0);
  EXPECT_EQ(audio->channels[12].loop_allowed, 0);
}

TEST_F(SfxFunction, StealsTheChannelWithTheSmallestSpeedHigherChannelOnTies) {
  struct Case {
    int speeds[4];
    int expected;
  };
  const Case cases[] = {
      {{9, 4, 6, 8}, 1},
      {{5, 3, 3, 7}, 2},
      {{2, 2, 2, 2}, 3},
      {{0, 1, 1, 1}, 0},  // raw speed value: 0 is smaller than 1
      {{1, 1, 3, 1}, 3},
  };
  for (const Case& c : cases) {
    stop_all_sounds(*audio);
    for (int k = 0; k < 4; ++k) {
      fill_effect(10 + k, kLoudNote, c.speeds[k]);
      ASSERT_EQ(call(10 + k, k), k);
    }
    fill_effect(20, kLoudNote, 1);
    EXPECT_EQ(call(20), c.expected) << c.speeds[0] << c.speeds[1] << c.speeds[2] << c.speeds[3];
  }
}

TEST_F(SfxFunction, ChannelChoiceRespectsTheMusicMaskAndMusicTracks) {
  struct Case {
    uint8_t mask;
    int busy_sfx;          // bit k: sfx channel k plays an effect
    int music_playing;     // bit k: music channel 4+k plays an effect with its music flag
    int music_flag_only;   // bit k: music channel 4+k has its music flag but is silent
    int expected;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 0},
      {3, 0, 0, 0, 0},        // no music anywhere: the mask changes nothing
      {3, 0, 0xf, 0, 2},      // music on every track: reserved channels avoided
      {0, 0, 1, 0, 1},        // a stopped partner is preferred
      {0, 0xe, 1, 0, 0},      // only channel 0 idle: covers music track 0
      {1, 0xe, 1, 0, 3},      // ...unless reserved: steal (equal speeds, highest)
      {0, 0, 0xf, 0, 0},      // every partner busy, nothing reserved
      {0xf, 0, 0, 0, 0},      // all reserved, all partners stopped
      {0xf, 0, 0, 0xf, -1},   // all reserved, music flags set, nothing playing: no channel
      {0x3, 0, 0, 0x1, 1},    // partner 0 not stopped, channel 1 partner stopped
  };
  for (const Case& c : cases) {
    stop_all_sounds(*audio);
    audio->music.channel_mask = c.mask;
    for (int k = 0; k < 4; ++k) {
      if ((c.busy_sfx >> k) & 1) start_effect_on_channel(audio->channels[k], k, effects, 30, 0, 0);
      MixChannel& partner = audio->channels[kFirstMusicChannel + k];
      if ((c.music_playing >> k) & 1) start_effect_on_channel(partner, k, effects, 31, 0, 0);
      if (((c.music_playing | c.music_flag_only) >> k) & 1) partner.music_flag = 1;
    }
    EXPECT_EQ(choose_sfx_channel(*audio), c.expected)
        << int(c.mask) << " " << c.busy_sfx << " " << c.music_playing << " " << c.music_flag_only;
  }
}

TEST_F(SfxFunction, HostOperationsCheckTheirChannelAndEffect) {
  EXPECT_EQ(ruvo_play_sfx_ex(*audio, 3, 0, 0, effects, 16), -1);
  EXPECT_EQ(ruvo_play_sfx_ex(*audio, 3, 0, 0, effects, -2), -1);
  EXPECT_EQ(ruvo_play_sfx_ex(*audio, 64, 0, 0, effects, 0), -1);
  EXPECT_EQ(ruvo_play_sfx_ex(*audio, 3, 0, 0, effects, 15), 15);
  EXPECT_EQ(channel_effect(*audio, 15), &effects[3]);
  EXPECT_EQ(audio->channels[15].register_index, 3);
  EXPECT_EQ(channel_effect(*audio, 16), nullptr);
  // Stopping with no effect spares the music channels.
  start_effect_on_channel(audio->channels[6], 6, effects, 5, 0, 0);
  audio->channels[6].music_flag = 1;
  ruvo_stop_sfx(*audio, nullptr);
  EXPECT_EQ(channel_effect(*audio, 15), nullptr);
  EXPECT_EQ(channel_effect(*audio, 6), &effects[5]);
  EXPECT_EQ(audio->lock.nesting, 0);
}

TEST_F(SfxFunction, CallWhileSuspendedWithoutAProgramStopsEverythingAndResumes) {
  call(4, 2);
  audio->suspension = 1;
  EXPECT_EQ(sfx(*audio, effects, SfxArguments{5, 0, {}, {}}, true), 0);
  EXPECT_EQ(audio->suspension, 1);  // a running program keeps its pause
  EXPECT_EQ(playing(2), &effects[4]);
  EXPECT_EQ(sfx(*audio, effects, SfxArguments{6, 1, {}, {}}, false), 1);
  EXPECT_EQ(audio->suspension, 0);
  EXPECT_EQ(playing(2), nullptr);
  EXPECT_EQ(playing(0), nullptr);
  EXPECT_EQ(playing(1), &effects[6]);
}

TEST_F(SfxFunction, AudioLockNestsOverTheDeviceLock) {
  struct Counts {
    int locks = 0;
    int unlocks = 0;
  } counts;
  audio->lock.context = &counts;
  audio->lock.lock_device = [](void* context) { ++static_cast<Counts*>(context)->locks; };
  audio->lock.unlock_device = [](void* context) { ++static_cast<Counts*>(context)->unlocks; };
  call(3);  // sfx locks, and the playback operations inside lock again
  EXPECT_EQ(counts.locks, 1);
  EXPECT_EQ(counts.unlocks, 1);
  EXPECT_EQ(audio->lock.nesting, 0);
}

}  // namespace
}  // namespace tamori::audio::testing
