// Sound and input around a running cartridge: a run starts in silence,
// stopping pauses the sound and resuming lets it on, and an effect that a
// cartridge starts is heard in the mix.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "audio/mixer_callback.h"
#include "audio/serial_sound.h"
#include "audio/sound_stats.h"
#include "cartridge_run_fixture.h"
#include "input/dropped_data.h"
#include "runner/program_runner.h"
#include "shell/cartridge_runner.h"

namespace tamori::shell::testing {
namespace {

constexpr int kCurrentPattern = 24;

// Effect 1 is one long note (pitch 33, volume 5, speed 16) in every slot;
// pattern 0 plays it on track 0.
constexpr const char* kSoundSetup =
    "for i = 0, 31 do poke2(0x3200 + 68 + 2 * i, 0x0a21) end poke(0x3200 + 68 + 65, 16)\n"
    "poke(0x3100, 1, 0x41, 0x42, 0x43)\n";

// What the device would play next: the mix with the serial sound on top.
int32_t peak_of_mix(Console& console, int samples) {
  std::vector<int16_t> mixed(size_t(samples), 0);
  audio::ruvo_mixer_callback(*console.audio, reinterpret_cast<uint8_t*>(mixed.data()), samples * 2,
                             audio::DeviceFormat{}, console.audio->device_registers, false, host::ruvo_get_time_ms());
  int32_t peak = 0;
  for (int16_t sample : mixed) peak = std::max(peak, std::abs(int32_t(sample)));
  return peak;
}

TEST_F(CartridgeRun, ARunStartsWithMusicStoppedAndAnEmptySampleRing) {
  bool checked = false;
  after_frame = [&checked](int frame, Console& running) {
    if (frame != 2) return;
    ASSERT_EQ(audio::sound_stat(*running.audio, kCurrentPattern), 0);
    ASSERT_EQ(audio::serial_sound_queued(*running.audio), 16);
    run_cart(running);
    EXPECT_EQ(audio::sound_stat(*running.audio, kCurrentPattern), -1);
    EXPECT_EQ(audio::serial_sound_queued(*running.audio), 0);
    EXPECT_EQ(running.audio->suspension, 0);
    checked = true;
  };
  run_code(std::string(kSoundSetup) + "music(0) serial(0x808, 0, 16)\nfunction _update() end\n", 4);
  EXPECT_TRUE(checked);
}

TEST_F(CartridgeRun, AFinishedProgramLeavesTheSoundPaused) {
  run_code(std::string(kSoundSetup) + "sfx(1)\n", 3);
  EXPECT_EQ(console.audio->suspension, 1);
  EXPECT_EQ(peak_of_mix(console, 1024), 0);
}

TEST_F(CartridgeRun, ResumingAStoppedProgramLetsTheSoundOn) {
  run_code(std::string(kSoundSetup) + "n = 0\nfunction _update() n += 1 if n == 1 then sfx(1) end "
                                      "if n == 2 then stop() end end\n",
           6);
  ASSERT_EQ(console.pstate.console_mode, kModeStopped);
  EXPECT_EQ(console.audio->suspension, 1);
  console.app.quit = false;
  runner::run_program("resume", true);
  EXPECT_EQ(console.audio->suspension, 0);
  EXPECT_GT(peak_of_mix(console, 1024), 1000);
}

TEST_F(CartridgeRun, AnEffectStartedByACartridgeIsHeard) {
  std::vector<int32_t> peaks;
  after_frame = [&peaks](int, Console& running) { peaks.push_back(peak_of_mix(running, 735)); };
  run_code(std::string(kSoundSetup) + "n = 0\nfunction _update() n += 1 if n == 3 then sfx(1) end end\n", 6);
  ASSERT_EQ(peaks.size(), 6u);
  EXPECT_EQ(peaks[0], 0);
  EXPECT_EQ(peaks[1], 0);
  EXPECT_GT(*std::max_element(peaks.begin() + 3, peaks.end()), 1000);
}

TEST_F(CartridgeRun, SoundStaysSilentForFourFramesAfterThePauseScreenCloses) {
  std::vector<int32_t> peaks;
  after_frame = [&peaks](int frame, Console& running) {
    peaks.push_back(peak_of_mix(running, 735));
    if (frame == 3) running.pstate.pause_state = 1;  // frames 4 and 5 under the pause screen
    if (frame == 5) running.pstate.pause_state = 0;
  };
  run_code(std::string(kSoundSetup) + "sfx(1)\nfunction _update() end\n", 12);
  ASSERT_EQ(peaks.size(), 12u);
  for (int frame : {1, 2, 3, 10, 11}) EXPECT_GT(peaks[size_t(frame)], 1000) << frame;
  for (int frame = 4; frame <= 9; ++frame) EXPECT_EQ(peaks[size_t(frame)], 0) << frame;
}

TEST_F(CartridgeRun, SerialSamplesAreAddedToTheMix) {
  std::vector<int32_t> peaks;
  after_frame = [&peaks](int, Console& running) { peaks.push_back(peak_of_mix(running, 256)); };
  // A square wave of full-scale bytes, queued once.
  run_code("for i = 0, 255 do poke(0x4300 + i, i % 2 == 0 and 255 or 0) end serial(0x808, 0x4300, 256)\n"
           "function _update() end\n",
           3);
  ASSERT_EQ(peaks.size(), 3u);
  EXPECT_GT(peaks[0], 10000);
}

TEST_F(CartridgeRun, ADroppedFileIsSeenThroughStatAndReadThroughSerial) {
  after_frame = [](int frame, Console& running) {
    if (frame == 1) input::set_dropped_file(running.input.serial.dropped, {7, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  };
  HeadlessRunResult result = run_code(
      "function _update() printh(tostr(stat(120)) .. ' ' .. tostr(stat(121)))\n"
      "  if stat(120) then printh(serial(0x800, 0x4300, 16) .. ' ' .. peek(0x4300) .. ' ' .. peek(0x4309)) end end\n",
      4);
  EXPECT_EQ(result.standard_output, "false false\nfalse false\ntrue false\n10 7 9\nfalse false\n");
}

}  // namespace
}  // namespace tamori::shell::testing
