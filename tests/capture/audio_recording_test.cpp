// Live audio recording through the device callback, and the WAV header.
#include "capture/audio_recording.h"

#include <gtest/gtest.h>

#include "audio/mixer_callback.h"
#include "audio/sfx_playback.h"

namespace tamori::capture {
namespace {

TEST(AudioRecording, WavHeaderBytes) {
  const std::array<uint8_t, kWavHeaderSize> expected = {
      'R', 'I', 'F', 'F', 0x2c, 0x01, 0x00, 0x00, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
      16,  0,   0,   0,   1,    0,    1,    0,    0x22, 0x56, 0, 0, 0x44, 0xac, 0, 0,
      2,   0,   16,  0,   'd',  'a',  't',  'a',  0x08, 0x01, 0, 0};
  EXPECT_EQ(wav_header(264), expected);
  const std::vector<uint8_t> file = wav_file_bytes({1, 2, 3, 4});
  ASSERT_EQ(file.size(), 48u);
  EXPECT_EQ(file[4], 40);
  EXPECT_EQ(file[40], 4);
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 44, file.end()), (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST(AudioRecording, RecordsWhatTheDeviceIsGivenWhileOn) {
  auto audio = std::make_unique<audio::AudioState>();
  std::array<audio::SoundEffect, audio::kSoundEffectCount> effects{};
  effects[1].speed = 4;
  for (int note = 0; note < 32; note++) effects[1].notes[size_t(note)] = {uint8_t(24 + note), 2, 5, 0};
  AudioRecording recording;
  EXPECT_FALSE(stop_audio_recording(recording, *audio)) << "no recording in progress";

  std::vector<uint8_t> heard;
  auto play = [&](int bytes) {
    std::vector<uint8_t> stream(static_cast<size_t>(bytes));
    audio::ruvo_mixer_callback(*audio, stream.data(), bytes, audio::DeviceFormat{}, audio->device_registers, false, 0);
    heard.insert(heard.end(), stream.begin(), stream.end());
  };
  audio::ruvo_play_sfx_ex(*audio, 1, 0, 0, effects.data(), -1);
  play(512);
  start_audio_recording(recording, *audio);
  heard.clear();
  play(2048);
  play(300);
  EXPECT_TRUE(stop_audio_recording(recording, *audio));
  play(512);
  ASSERT_EQ(recording.bytes.size(), 2348u);
  EXPECT_EQ(recording.bytes, std::vector<uint8_t>(heard.begin(), heard.begin() + 2348));
  EXPECT_NE(recording.bytes, std::vector<uint8_t>(2348, 0)) << "the effect was heard";
  EXPECT_EQ(audio->on_mixed, nullptr);

  start_audio_recording(recording, *audio);
  EXPECT_TRUE(recording.bytes.empty()) << "a new recording starts empty";
  EXPECT_GE(recording.bytes.capacity(), kFirstRecordingCapacity);
}

}  // namespace
}  // namespace tamori::capture
