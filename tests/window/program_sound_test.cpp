// The real program plays a cartridge's music through the real SDL audio
// device, here SDL's "disk" driver, which writes what it is given to a file
// at the pace of a sound card. The boot sound comes first; then what it
// played must be, sample for sample, what a headless run of the same
// cartridge renders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "host/clock.h"
#include "host/config.h"
#include "shell/headless_run.h"
#include "shell/headless_sound.h"
#include "shell/startup.h"

#include "raw_sound_file.h"

namespace tamori {
namespace {

// Starts its song in _init and plays nothing else until a button is pressed.
const std::string kCartridge = std::string(TAMORI_SHARED_DIR) + "/carts/cakecut_438b8791.tm";
constexpr int kDeviceBufferSamples = 1024;
constexpr int kPlayedSeconds = 5;
// The boot sequence plays its sound about two seconds before the cartridge
// starts.
constexpr int kBootSeconds = 3;

bool have_display() {
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

std::vector<int16_t> headless_sound(const std::string& home, int frames) {
  host::ruvo_config_reset_for_tests();
  auto console = std::make_unique<shell::Console>();
  host::VirtualTime time;
  time.now_ms = 100000;
  shell::SoundRecording sound;
  shell::HeadlessRunOptions options;
  options.cartridge = kCartridge;
  options.home = home;
  options.program_folder = TAMORI_BUILD_DIR;
  options.frames = frames;
  options.after_frame = [&sound](int, shell::Console& each) { shell::record_owed_sound(each, sound); };
  shell::run_headless(*console, time, options);
  shell::ruvo_exit(*console);
  host::ruvo_set_clock(host::system_clock());
  return sound.samples;
}

TEST(TamoriProgram, PlaysACartridgesMusicOnTheDeviceAsTheHeadlessRunRendersIt) {
  if (!have_display()) GTEST_SKIP() << "no display";
  const std::string home =
      std::filesystem::temp_directory_path() / ("tamori_program_sound_" + std::to_string(::getpid()));
  const std::string played_path = home + "/played.raw";
  std::filesystem::create_directories(home);
  // The device runs for five seconds of sound (at most 30 s of waiting on a
  // busy machine). SIGTERM reaches SDL as a quit request, so the console
  // shuts down and closes the device, which flushes the file.
  const std::string command = "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=" + played_path + " " + TAMORI_EXE +
                              " -home " + home + "/program -windowed 1 -width 300 -height 300 -run " + kCartridge +
                              " & pid=$!; for i in $(seq 300); do sleep 0.1; "
                              "[ $(stat -c %s " + played_path + " 2>/dev/null || echo 0) -ge " +
                              std::to_string((kBootSeconds + kPlayedSeconds) * 22050 * 2) +
                              " ] && break; done; kill $pid; wait $pid";
  ASSERT_NE(std::system(("bash -c '" + command + "' >/dev/null 2>&1").c_str()), -1);
  const std::vector<int16_t> played = read_raw_samples(played_path);
  // The cartridge runs at 30 frames a second.
  const std::vector<int16_t> rendered = headless_sound(home + "/headless", (kPlayedSeconds + 1) * 30);
  std::filesystem::remove_all(home);

  // The device plays silence until the program starts its song, and the
  // start falls anywhere within a device buffer; from the first sound on,
  // both are the same mixing of the same state, so they must agree exactly.
  // The last two buffers may already hold the shutdown's release tail.
  // The boot sound: a short tune, then half a second of silence at least.
  const SplitSound boot = split_at_first_pause(played, 11025);
  EXPECT_GT(boot.first.size(), size_t(22050 / 4)) << "no boot sound";
  EXPECT_GT(*std::max_element(boot.first.begin(), boot.first.end()), 1000);
  const std::vector<int16_t> heard = without_leading_silence(boot.rest);
  const std::vector<int16_t> expected = without_leading_silence(rendered);
  ASSERT_GT(heard.size(), size_t(2 * kDeviceBufferSamples + 22050)) << "under a second of music was played";
  const size_t compared = std::min(heard.size() - 2 * kDeviceBufferSamples, expected.size());
  ASSERT_GE(compared, size_t(22050));
  size_t first_difference = compared;
  for (size_t i = 0; i < compared; ++i)
    if (heard[i] != expected[i]) {
      first_difference = i;
      break;
    }
  EXPECT_EQ(first_difference, compared) << "of " << compared << " samples compared";
}

}  // namespace
}  // namespace tamori
