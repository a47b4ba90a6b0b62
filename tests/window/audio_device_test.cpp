// The real SDL audio device, through SDL's "disk" driver, which writes what
// the device plays to a file at the pace of a sound card. No display needed.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "audio/audio_lock.h"
#include "audio/mixer.h"
#include "audio/mixer_callback.h"
#include "audio/music_function.h"
#include "audio/sound_stats.h"
#include "host/sdl/sdl_audio.h"

#include "raw_sound_file.h"

namespace tamori {
namespace {

struct Song {
  audio::SoundEffect effects[audio::kSoundEffectCount];
  audio::MusicPattern patterns[audio::kMusicPatternCount];

  Song() {
    for (int i = 0; i < audio::kNotesPerSoundEffect; ++i) {
      effects[0].notes[i] = {uint8_t(24 + i % 12), 3, 5, 0, false};
      effects[1].notes[i] = {uint8_t(40 - i % 7), 1, 4, 0, false};
    }
    effects[0].speed = 3;
    effects[1].speed = 6;
    effects[1].loop_end = 8;
    patterns[0] = {{0, 1, 64, 64}, 0};
    patterns[1] = {{0, 64, 64, 64}, audio::kMusicFlagLoopBack};
  }

  void start(audio::AudioState& state) const {
    audio::music(state, effects, patterns, {0, {}, {}}, true, 0);
  }
};

struct DeviceUser {
  audio::AudioState* state = nullptr;
  host::AudioFormat format;
};

void mix_for_device(void* user, uint8_t* stream, int length) {
  const DeviceUser& device = *static_cast<DeviceUser*>(user);
  audio::ruvo_mixer_callback(*device.state, stream, length, {device.format.rate, device.format.channels},
                             device.state->device_registers, false, 0);
}

TEST(AudioDevice, DiskDriverRecordsTheSameMusicAsTheHeadlessMixer) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("tamori_disk_audio_" + std::to_string(::getpid()) + ".raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);

  const Song song;
  auto played = std::make_unique<audio::AudioState>();
  song.start(*played);
  DeviceUser user{played.get(), {}};
  host::AudioRequest request;
  request.buffer_samples = 512;
  ASSERT_TRUE(host::sdl_open_audio(nullptr, request, mix_for_device, &user, user.format));
  EXPECT_EQ(user.format.rate, 22050);
  EXPECT_EQ(user.format.channels, 1);
  played->lock.lock_device = host::sdl_lock_audio;
  played->lock.unlock_device = host::sdl_unlock_audio;
  // Questions from this thread go through the device lock while it plays.
  for (int i = 0; i < 8; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(audio::sound_stat(*played, 57), 1);
  }
  played->lock = {};
  host::sdl_close_audio(nullptr);
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");

  const std::vector<int16_t> recorded = read_raw_samples(file);
  std::filesystem::remove(file);
  // At least a few buffers at 22050 Hz within the 400 ms.
  ASSERT_GE(recorded.size(), 4u * 512);
  EXPECT_EQ(recorded.size() % 512, 0u);

  auto headless = std::make_unique<audio::AudioState>();
  song.start(*headless);
  std::vector<int16_t> rendered(recorded.size());
  audio::mix_audio(*headless, rendered.data(), int(rendered.size()), headless->device_registers);

  // The driver writes silence while the device starts, so both are compared
  // from their first sound on.
  const std::vector<int16_t> heard = without_leading_silence(recorded);
  const std::vector<int16_t> expected = without_leading_silence(rendered);
  ASSERT_GT(heard.size(), 3u * 512);
  ASSERT_LE(heard.size(), expected.size());
  EXPECT_TRUE(std::equal(heard.begin(), heard.end(), expected.begin()));
}

TEST(AudioDevice, FailedOpenIsReportedAndLeavesNoDevice) {
  setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
  audio::AudioState state;
  DeviceUser user{&state, {}};
  host::AudioRequest request;
  EXPECT_FALSE(host::sdl_open_audio(nullptr, request, mix_for_device, &user, user.format));
  // Locking without a device does nothing and closing is harmless.
  host::sdl_lock_audio(nullptr);
  host::sdl_unlock_audio(nullptr);
  host::sdl_close_audio(nullptr);
  unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
}  // namespace tamori
