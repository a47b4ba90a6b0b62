// The device side of the mixer: the callback's byte output and format
// checks, the serial sound ring, suspension and its late resume, and the
// heard values that follow the callbacks' timing.
#include "audio/mixer_callback.h"

#include "audio/audio_suspension.h"
#include "audio/heard_moment.h"
#include "audio/music_function.h"
#include "audio/serial_sound.h"
#include "audio/sfx_playback.h"
#include "audio/sound_stats.h"
#include "audio_fixture.h"

namespace tamori::audio::testing {
namespace {

struct MixerCallback : AudioFixture {
  MusicPattern patterns[kMusicPatternCount];
  int32_t now_ms = 100000;

  MixerCallback() { fill_effect(0, {30, 3, 5, 0, false}, 16); }

  std::vector<int16_t> callback(int samples, DeviceFormat format = {}, bool unsmoothed = false) {
    std::vector<uint8_t> bytes(size_t(samples) * 2, 0xcd);
    ruvo_mixer_callback(*audio, bytes.data(), int(bytes.size()), format, registers, unsmoothed, now_ms);
    std::vector<int16_t> out(samples);
    for (int i = 0; i < samples; ++i) out[i] = int16_t(uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8));
    return out;
  }

  int32_t stat(int index) { return sound_stat(*audio, index).value_or(-99); }
};

TEST_F(MixerCallback, WritesTheMixAsLittleEndianBytes) {
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 0), 0);
  auto twin = std::make_unique<AudioState>();
  std::swap(twin, audio);
  for (int channel = 0; channel < kMixChannelCount; ++channel) render_channel(*audio, channel, kTickSamples, registers);
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 0), 0);
  const std::vector<int16_t> mixed = mix(5000);
  std::swap(twin, audio);
  const std::vector<int16_t> through_device = callback(5000);
  EXPECT_EQ(through_device, mixed);
  EXPECT_GT(peak(mixed, 0, mixed.size()), 1000);
}

TEST_F(MixerCallback, OtherFormatsAndSuspensionGiveSilenceAndAdvanceNothing) {
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 0), 0);
  const DeviceFormat others[] = {{44100, 1}, {22050, 2}, {11025, 1}};
  for (const DeviceFormat& format : others) {
    EXPECT_EQ(peak(callback(1000, format), 0, 1000), 0) << format.rate << " " << format.channels;
  }
  audio->suspension = 3;
  EXPECT_EQ(peak(callback(1000), 0, 1000), 0);
  EXPECT_EQ(audio->channels[0].tick_counter, 0);
}

TEST_F(MixerCallback, PatternsAdvancedCountsOncePerCallback) {
  fill_effect(1, {30, 3, 5, 0, false}, 1).loop_start = 1;  // a one-tick pattern
  for (MusicPattern& pattern : patterns) pattern = {{1, 64, 64, 64}, 0};
  music(*audio, effects, patterns, {0, {}, {}}, true, now_ms);
  callback(3 * kTickSamples);
  EXPECT_EQ(stat(24), 3);
  EXPECT_EQ(stat(25), 1);
  callback(kTickSamples);
  EXPECT_EQ(stat(25), 2);
}

TEST_F(MixerCallback, AFrameAfterThePauseEndsSoundResumesFourFramesLate) {
  music(*audio, effects, patterns, {}, true, now_ms);
  patterns[0] = {{0, 64, 64, 64}, 0};
  music(*audio, effects, patterns, {0, {}, {}}, true, now_ms);
  constexpr int kFrameSamples = 735;
  const auto frame_is_silent = [&](bool pause_open, uint8_t pause_byte = 0) {
    determine_audio_pause_state(*audio, pause_byte, pause_open);
    return peak(callback(kFrameSamples), 0, kFrameSamples) == 0;
  };
  EXPECT_FALSE(frame_is_silent(false));
  EXPECT_TRUE(frame_is_silent(true));
  EXPECT_TRUE(frame_is_silent(true));
  const int32_t ticks_while_paused = stat(26);
  for (int frame = 1; frame <= 4; ++frame) EXPECT_TRUE(frame_is_silent(false)) << frame;
  EXPECT_EQ(stat(26), ticks_while_paused);
  EXPECT_FALSE(frame_is_silent(false));
  EXPECT_EQ(audio->suspension, 0);

  // 0x5f2f: 2 keeps sound under the pause screen, 1 pauses without one.
  EXPECT_FALSE(frame_is_silent(true, 2));
  EXPECT_TRUE(frame_is_silent(false, 1));
  // Pausing again while counting towards sound starts over at 1.
  EXPECT_TRUE(frame_is_silent(false));
  EXPECT_TRUE(frame_is_silent(true));
  EXPECT_EQ(audio->suspension, 1);
}

TEST_F(MixerCallback, SerialSoundPlaysEachByteForFourSamples) {
  const uint8_t bytes[] = {200, 100, 128};
  queue_serial_sound(*audio, bytes, 3);
  EXPECT_EQ(stat(108), 3);
  const std::vector<int16_t> raw = callback(16, {}, true);
  const std::vector<int16_t> expected_raw = {72 * 256, 72 * 256, 72 * 256, 72 * 256, -28 * 256, -28 * 256,
                                             -28 * 256, -28 * 256, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(raw, expected_raw);
  EXPECT_EQ(stat(108), 0);
  // An empty ring adds nothing, not even the smoothing tail.
  EXPECT_EQ(peak(callback(16), 0, 16), 0);

  audio->sound_volume = 128;
  queue_serial_sound(*audio, bytes, 2);
  const std::vector<int16_t> smoothed = callback(9);
  const std::vector<int16_t> expected_smoothed = {72 * 64, 72 * 128, 72 * 128, 72 * 128, 44 * 64,
                                                  -28 * 128, -28 * 128, -28 * 128, -28 * 64};
  EXPECT_EQ(smoothed, expected_smoothed);
}

TEST_F(MixerCallback, SerialSoundRingKeepsWhatFitsAndClampsTheSum) {
  std::vector<uint8_t> many(3000, 255);
  queue_serial_sound(*audio, many.data(), int(many.size()));
  EXPECT_EQ(stat(108), kSerialSoundRingSize);
  queue_serial_sound(*audio, many.data(), 1);
  EXPECT_EQ(stat(108), kSerialSoundRingSize);
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 0, 0, effects, 0), 0);
  const std::vector<int16_t> out = callback(4 * kSerialSoundRingSize + 8, {}, true);
  int largest = 0;
  for (int16_t sample : out) largest = std::max(largest, int(sample));
  EXPECT_EQ(largest, 32767);
  EXPECT_EQ(stat(108), 0);
}

TEST_F(MixerCallback, HeardValuesFollowTheEstimatedListeningTime) {
  patterns[0] = {{0, 64, 64, 64}, 0};
  music(*audio, effects, patterns, {0, {}, {}}, true, now_ms);
  // The first callback is heard 200 ms after it runs at the latest.
  const std::vector<int16_t> first = callback(10 * kTickSamples);
  const int32_t heard_from = now_ms - 200;
  EXPECT_EQ(audio->heard_timing.start_ms, heard_from);
  constexpr int32_t kCallbackMs = 10 * kTickSamples * 1000 / kSampleRate;

  refresh_heard_moment(*audio, heard_from);
  const int32_t at_start = stat(56);
  refresh_heard_moment(*audio, heard_from + kCallbackMs / 2);
  const int32_t in_middle = stat(56);
  refresh_heard_moment(*audio, heard_from + kCallbackMs);
  const int32_t at_end = stat(56);
  EXPECT_EQ(at_start, 1);
  EXPECT_EQ(at_end, 10);
  EXPECT_GT(in_middle, at_start);
  EXPECT_LT(in_middle, at_end);
  EXPECT_EQ(stat(54), 0);
  EXPECT_EQ(stat(55), 0);
  // Music track 0 stands in for an idle sfx channel 0.
  EXPECT_EQ(stat(46), 0);
  EXPECT_EQ(stat(50), 0);

  // Later callbacks lean three quarters on the previous estimate.
  now_ms += 50;
  callback(10 * kTickSamples);
  EXPECT_EQ(audio->heard_timing.start_ms, (2 * int64_t(now_ms) + 6 * (heard_from + kCallbackMs)) / 8);
  EXPECT_EQ(audio->heard_timing.previous_start_ms, heard_from);
}

TEST_F(MixerCallback, HeardValuesFallBackToLiveOnesWhenNothingWasHeard) {
  EXPECT_EQ(stat(46), -1);
  EXPECT_EQ(stat(54), -1);
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, 0, 3, 0, effects, 1), 1);
  refresh_heard_moment(*audio, now_ms);
  EXPECT_EQ(stat(47), 0);   // live effect on channel 1
  EXPECT_EQ(stat(51), 3);   // live note index
  EXPECT_EQ(stat(16), -1);
  EXPECT_FALSE(sound_stat(*audio, 27).has_value());
}

}  // namespace
}  // namespace tamori::audio::testing
