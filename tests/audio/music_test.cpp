// Music sequencing through `music` and the mixer: pattern lengths, the flags
// at a pattern's end, fades, and how sound effects share channels with music.
#include "audio/music_function.h"
#include "audio/music_sequencer.h"
#include "audio/sfx_function.h"
#include "audio/sfx_playback.h"
#include "audio/sound_stats.h"
#include "audio_fixture.h"

namespace tamori::audio::testing {
namespace {

constexpr SoundNote kTone = {30, 3, 5, 0, false};

struct Music : AudioFixture {
  MusicPattern patterns[kMusicPatternCount];

  // Pattern `index` with the given tracks (64: silent) and flags.
  void set_pattern(int index, int t0, int t1, int t2, int t3, uint8_t flags = 0) {
    patterns[index] = MusicPattern{{uint8_t(t0), uint8_t(t1), uint8_t(t2), uint8_t(t3)}, flags};
  }

  // A short effect: `notes` notes of `note` at `speed`.
  void short_effect(int index, int notes, int speed, SoundNote note = kTone) {
    fill_effect(index, note, speed).loop_start = uint8_t(notes);
  }

  void play(int pattern, int fade_len = 0, int mask = 0, int32_t now_ms = 0) {
    music(*audio, effects, patterns, {pattern, fade_len, mask}, true, now_ms);
  }

  int32_t stat(int index) { return sound_stat(*audio, index).value_or(-99); }

  // Renders whole ticks and returns the current pattern after each.
  std::vector<int32_t> patterns_over_ticks(int ticks) {
    std::vector<int32_t> seen;
    for (int i = 0; i < ticks; ++i) {
      mix(kTickSamples);
      seen.push_back(stat(24));
    }
    return seen;
  }
};

TEST_F(Music, PatternLengthComesFromTheDecidingTrack) {
  struct Effect {
    int speed, loop_start, loop_end;
  };
  struct Case {
    const char* name;
    Effect first, second;
    int tracks[4];
    int32_t ticks;
  };
  const Case cases[] = {
      {"plain 32 notes", {3, 0, 0}, {1, 0, 0}, {0, 64, 64, 64}, 96},
      {"speed 0 counts as 1", {0, 0, 0}, {1, 0, 0}, {0, 64, 64, 64}, 32},
      {"short effect", {4, 5, 0}, {1, 0, 0}, {0, 64, 64, 64}, 20},
      {"looping track 0 lets track 1 decide", {4, 0, 8}, {10, 16, 0}, {0, 1, 64, 64}, 160},
      {"lowest deciding track wins", {2, 0, 0}, {10, 16, 0}, {1, 0, 64, 64}, 160},
      {"only loops: the longest as 32 notes", {2, 0, 8}, {5, 2, 9}, {0, 1, 64, 64}, 160},
      {"waveform instrument counts as 0", {2, 0x80, 0}, {5, 2, 9}, {0, 1, 64, 64}, 160},
      {"waveform instrument alone", {2, 0x80, 0}, {1, 0, 0}, {64, 0, 64, 64}, 0},
      {"all silent", {2, 0, 0}, {1, 0, 0}, {64, 65, 100, 127}, 0},
  };
  for (const Case& c : cases) {
    effects[0].speed = uint8_t(c.first.speed);
    effects[0].loop_start = uint8_t(c.first.loop_start);
    effects[0].loop_end = uint8_t(c.first.loop_end);
    effects[1].speed = uint8_t(c.second.speed);
    effects[1].loop_start = uint8_t(c.second.loop_start);
    effects[1].loop_end = uint8_t(c.second.loop_end);
    set_pattern(0, c.tracks[0], c.tracks[1], c.tracks[2], c.tracks[3]);
    EXPECT_EQ(get_pattern_ticks_length(patterns[0], effects), c.ticks) << c.name;
  }
}

TEST_F(Music, PatternOfLoopAndSixteenNotesEndsAfter160Ticks) {
  fill_effect(0, kTone, 4).loop_end = 8;
  short_effect(1, 16, 10);
  short_effect(2, 1, 1);
  set_pattern(0, 0, 1, 64, 64);
  set_pattern(1, 2, 64, 64, 64);
  play(0);
  const std::vector<int32_t> seen = patterns_over_ticks(160);
  EXPECT_EQ(seen[158], 0);
  EXPECT_EQ(seen[159], 1);
  EXPECT_EQ(stat(25), 1);
}

TEST_F(Music, NextPatternFollowsTheFlags) {
  set_pattern(2, 0, 64, 64, 64, kMusicFlagLoopStart);
  set_pattern(5, 0, 64, 64, 64, kMusicFlagLoopBack);
  set_pattern(7, 0, 64, 64, 64, kMusicFlagLoopBack | kMusicFlagLoopStart);
  set_pattern(9, 0, 64, 64, 64, kMusicFlagStop | kMusicFlagLoopBack);
  set_pattern(0, 0, 64, 64, 64, kMusicFlagLoopBack);
  set_pattern(63, 0, 64, 64, 64);
  const int32_t expected[][2] = {{1, 2}, {5, 2}, {7, 7}, {9, -1}, {0, 0}, {63, 64}};
  for (const auto& pair : expected) EXPECT_EQ(next_music_pattern(patterns, pair[0]), pair[1]) << pair[0];
  set_pattern(2, 0, 64, 64, 64);
  EXPECT_EQ(next_music_pattern(patterns, 5), 0);
}

TEST_F(Music, LoopBackReturnsToTheNearestLoopStart) {
  short_effect(0, 1, 2);
  for (int p = 0; p < 8; ++p) set_pattern(p, 0, 64, 64, 64);
  set_pattern(1, 0, 64, 64, 64, kMusicFlagLoopStart);
  set_pattern(2, 0, 64, 64, 64, kMusicFlagLoopStart);
  set_pattern(5, 0, 64, 64, 64, kMusicFlagLoopBack);
  play(4);
  const std::vector<int32_t> seen = patterns_over_ticks(8);
  EXPECT_EQ(seen, (std::vector<int32_t>{4, 5, 5, 2, 2, 3, 3, 4}));
  EXPECT_EQ(stat(25), 4);
}

TEST_F(Music, StopFlagEndsTheMusicAfterItsPattern) {
  short_effect(0, 2, 3);
  set_pattern(0, 0, 0, 64, 64, kMusicFlagStop);
  set_pattern(1, 0, 64, 64, 64);
  play(0);
  EXPECT_EQ(stat(57), 1);
  const std::vector<int32_t> seen = patterns_over_ticks(6);
  EXPECT_EQ(seen[4], 0);
  EXPECT_EQ(seen[5], -1);
  EXPECT_EQ(stat(25), -1);
  EXPECT_EQ(stat(26), -1);
  EXPECT_EQ(stat(57), 0);
  EXPECT_EQ(audio->music.current_pattern, -1);
}

TEST_F(Music, SilentPatternsStopTheMusicAndDoNotStart) {
  short_effect(0, 1, 1);
  set_pattern(0, 0, 64, 64, 64);
  set_pattern(3, 64, 64, 64, 64);
  play(0);
  ASSERT_EQ(stat(57), 1);
  play(3);
  EXPECT_EQ(stat(57), 0);
  EXPECT_EQ(stat(24), -1);

  // Running into a silent pattern, or past pattern 63, stops too.
  play(0);
  patterns_over_ticks(1);
  EXPECT_EQ(stat(57), 0);
  set_pattern(63, 0, 64, 64, 64);
  play(63);
  patterns_over_ticks(1);
  EXPECT_EQ(stat(57), 0);
}

TEST_F(Music, TracksAboveSixtyThreeAreSilentAndMissingArgumentsPlayPatternZero) {
  short_effect(5, 4, 2);
  set_pattern(0, 64, 5, 64, 64);
  music(*audio, effects, patterns, {}, true, 0);
  EXPECT_EQ(stat(24), 0);
  EXPECT_EQ(audio->channels[4].effect, nullptr);
  EXPECT_EQ(audio->channels[5].effect, &effects[5]);
  EXPECT_EQ(stat(17), 5);
  mix(3 * kTickSamples);
  EXPECT_EQ(stat(21), 1);
  EXPECT_EQ(stat(26), 3);

  // Out-of-range patterns are clamped into 0..63.
  set_pattern(63, 5, 64, 64, 64);
  play(1000);
  EXPECT_EQ(stat(24), 63);
  play(-7);
  EXPECT_EQ(stat(24), 0);
}

TEST_F(Music, FadesInOnlyFromBelowFullVolume) {
  fill_effect(0, kTone, 16);
  set_pattern(0, 0, 64, 64, 64);
  set_pattern(1, 0, 64, 64, 64);
  play(0, 1000, 0, 10000);
  EXPECT_EQ(audio->music.fade_volume, 0);
  const int32_t expected[][2] = {{10250, 16384}, {10500, 32768}, {10999, 65470}, {11000, 65536}, {12000, 65536}};
  for (const auto& pair : expected) {
    update_music_fade(*audio, pair[0]);
    EXPECT_EQ(audio->music.fade_volume, pair[1]) << pair[0];
  }
  play(1, 1000, 0, 12000);
  EXPECT_EQ(audio->music.fade_volume, 65536);
  EXPECT_EQ(stat(24), 1);
}

TEST_F(Music, FadesOutThenStops) {
  fill_effect(0, kTone, 16);
  set_pattern(0, 0, 0, 64, 64);
  play(0, 0, 0, 5000);
  ASSERT_EQ(audio->music.fade_volume, 65536);
  music(*audio, effects, patterns, {-1, 500, 7}, true, 5000);
  update_music_fade(*audio, 5250);
  EXPECT_EQ(audio->music.fade_volume, 32768);
  EXPECT_EQ(stat(57), 1);
  update_music_fade(*audio, 5500);
  EXPECT_EQ(audio->music.fade_volume, 0);
  EXPECT_EQ(stat(57), 0);
  EXPECT_EQ(audio->music.channel_mask, 0);  // -1 leaves the mask alone

  // A new start during a fade-out fades in from silence.
  play(0, 0, 0, 6000);
  music(*audio, effects, patterns, {-1, 1000, 0}, true, 6000);
  update_music_fade(*audio, 6500);
  play(0, 1000, 0, 6500);
  EXPECT_EQ(audio->music.fade_volume, 0);
  update_music_fade(*audio, 7000);
  EXPECT_EQ(audio->music.fade_volume, 32768);

  music(*audio, effects, patterns, {-1, {}, {}}, true, 7000);
  EXPECT_EQ(stat(57), 0);
}

TEST_F(Music, FadesAreHeardRisingAndFallingOverTheirLengths) {
  fill_effect(0, kTone, 16);
  set_pattern(0, 0, 64, 64, 64);
  constexpr int kStepSamples = kSampleRate / 10;
  // The loudness of each 100 ms step, with the fade updated before it as the
  // main loop does every frame.
  const auto step_peaks = [&](int32_t from_ms, int steps) {
    std::vector<int> peaks;
    for (int step = 0; step < steps; ++step) {
      update_music_fade(*audio, from_ms + step * 100);
      peaks.push_back(peak(mix(kStepSamples), kTickSamples, kStepSamples));
    }
    return peaks;
  };
  play(0, 1000, 0, 0);
  const std::vector<int> rising = step_peaks(100, 12);  // 100 ms .. 1200 ms
  for (size_t step = 1; step < 10; ++step) EXPECT_GT(rising[step], rising[step - 1]) << step;
  const int full = rising[9];
  EXPECT_EQ(rising[10], full);
  EXPECT_EQ(rising[11], full);
  EXPECT_NEAR(rising[4], full / 2, full / 20);  // 500 ms into the second
  EXPECT_GT(full, 3000);

  music(*audio, effects, patterns, {-1, 500, {}}, true, 1200);
  const std::vector<int> falling = step_peaks(1300, 5);  // 1300 ms .. 1700 ms
  for (size_t step = 1; step < 4; ++step) EXPECT_LT(falling[step], falling[step - 1]) << step;
  EXPECT_NEAR(falling[1], full * 3 / 5, full / 20);  // 200 of 500 ms faded
  EXPECT_EQ(falling[4], 0);
  EXPECT_EQ(stat(57), 0);
}

TEST_F(Music, SfxCoversItsMusicTrackOnlyWhileItSounds) {
  fill_effect(0, {30, 3, 5, 0, false}, 8);
  fill_effect(2, {40, 1, 6, 0, false}, 8);
  short_effect(9, 2, 4, {20, 2, 5, 0, false});
  set_pattern(0, 0, 64, 2, 64);
  set_pattern(1, 0, 64, 64, 64);
  // Reference: the same music without track 2, in a second sound state.
  std::unique_ptr<AudioState> reference = std::make_unique<AudioState>();
  std::swap(reference, audio);
  for (int channel = 0; channel < kMixChannelCount; ++channel) render_channel(*audio, channel, kTickSamples, registers);
  play(1);
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 9, 0, 2, effects, 2), 2);
  const std::vector<int16_t> reference_during = mix(7 * kTickSamples);
  mix(kTickSamples);
  const std::vector<int16_t> reference_after = mix(4 * kTickSamples);
  std::swap(reference, audio);

  play(0);
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 9, 0, 2, effects, 2), 2);
  EXPECT_EQ(stat(18), 9);
  EXPECT_EQ(mix(7 * kTickSamples), reference_during);
  mix(kTickSamples);

  // The 8-tick effect has ended; the track went on in time underneath and
  // is heard again.
  EXPECT_EQ(stat(18), 2);
  EXPECT_EQ(stat(22), 1);
  const std::vector<int16_t> after = mix(4 * kTickSamples);
  EXPECT_GT(peak(after, kTickSamples, after.size()), 1000);
  EXPECT_NE(after, reference_after);
}

TEST_F(Music, ChannelMaskKeepsAutomaticSfxOffReservedChannels) {
  for (int k = 0; k < 4; ++k) fill_effect(k, kTone, 16);
  fill_effect(20, kTone, 1);
  set_pattern(0, 0, 1, 2, 3);
  play(0, 0, 3);
  EXPECT_EQ(sfx(*audio, effects, {20, {}, {}, {}}, true), 2);
  EXPECT_EQ(sfx(*audio, effects, {21, {}, {}, {}}, true), 3);
  // With only reserved channels free, a playing effect is replaced instead.
  EXPECT_GE(sfx(*audio, effects, {22, {}, {}, {}}, true), 2);

  ruvo_stop_sfx(*audio, nullptr);
  play(0, 0, 0);
  EXPECT_EQ(sfx(*audio, effects, {20, {}, {}, {}}, true), 0);
}

TEST_F(Music, CallWhileSuspendedWithoutAProgramStopsEverythingAndResumes) {
  fill_effect(0, kTone, 16);
  set_pattern(0, 0, 64, 64, 64);
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 3), 3);
  audio->suspension = 1;
  play(0);  // a running program's call leaves the suspension alone
  EXPECT_EQ(audio->suspension, 1);
  music(*audio, effects, patterns, {0, {}, {}}, false, 0);
  EXPECT_EQ(audio->suspension, 0);
  EXPECT_EQ(audio->channels[3].effect, nullptr);
  EXPECT_EQ(stat(24), 0);
}

TEST_F(Music, StoppingEffectsAndCartridgesStopsTheirMusic) {
  fill_effect(0, kTone, 16);
  fill_effect(1, kTone, 16);
  set_pattern(0, 0, 1, 64, 64);
  play(0);
  sfx(*audio, effects, {1, -2, {}, {}}, true);
  EXPECT_EQ(audio->channels[5].music_flag, 0);
  EXPECT_EQ(stat(57), 1);
  stop_cartridge_sounds(*audio, effects);
  EXPECT_EQ(stat(57), 0);
}

}  // namespace
}  // namespace tamori::audio::testing
