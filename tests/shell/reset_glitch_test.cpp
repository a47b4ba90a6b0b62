#include "shell/reset_glitch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "console_fixture.h"
#include "host/scancodes.h"
#include "runner/program_runner.h"
#include "machine/memory.h"
#include "shell/main_loop.h"

namespace tamori::shell {
namespace {

class ResetGlitch : public HeadlessConsole {
 protected:
  uint8_t byte(uint32_t address) const { return machine::read_memory_byte(*console.machine, address); }
  std::vector<uint8_t> low_memory() const {
    std::vector<uint8_t> bytes(0x8000);
    for (uint32_t address = 0; address < bytes.size(); address++) bytes[address] = byte(address);
    return bytes;
  }
};

TEST_F(ResetGlitch, AdvancesUntilTheRunWithOrWithoutTheScramble) {
  struct Case {
    bool from_run;  // run() rather than Ctrl+R / extcmd("reset")
    int fps;
    int advance_that_runs;
    bool scrambles;
  };
  const Case cases[] = {{false, 60, 12, true}, {false, 30, 6, true}, {true, 60, 10, false}, {true, 30, 4, false}};
  ASSERT_FALSE(start_stopped());
  runner::ProgramRunner& runner = runner::program_runner();
  for (const Case& each : cases) {
    console.pstate.current_fps = each.fps;
    console.pstate.pending_action = kActionNone;
    console.commands.last_reset_request_ms = -100000;
    runner.current_parameter = "level 3";
    runner.next_parameter.clear();
    if (each.from_run)
      start_run_glitch(console);
    else
      ASSERT_TRUE(request_reset_glitch(console, time.now_ms));
    EXPECT_TRUE(runner.host.reset_glitch_running);
    const std::vector<uint8_t> before = low_memory();
    int advance = 0;
    bool scrambled_first = false;
    while (console.pstate.pending_action == kActionNone && advance < 50) {
      advance_reset_glitch(console);
      advance++;
      if (advance == 1) scrambled_first = low_memory() != before;
    }
    EXPECT_EQ(advance, each.advance_that_runs) << each.fps << (each.from_run ? " run" : " reset");
    EXPECT_EQ(scrambled_first, each.scrambles);
    EXPECT_EQ(console.pstate.glitch_frames, 0);
    EXPECT_FALSE(runner.host.reset_glitch_running);
    EXPECT_EQ(runner.next_parameter, "level 3") << "the run parameter carries over";
  }
}

TEST_F(ResetGlitch, RequestsAreLimitedAndTheScrambleKeepsTheStopFlags) {
  ASSERT_FALSE(start_stopped());
  machine::write_memory_byte(*console.machine, 0x5f2e, 0x5a);
  EXPECT_TRUE(request_reset_glitch(console, time.now_ms));
  EXPECT_FALSE(request_reset_glitch(console, time.now_ms + 600)) << "one glitch at a time";
  console.pstate.glitch_frames = 0;
  EXPECT_FALSE(request_reset_glitch(console, time.now_ms + 499));
  EXPECT_TRUE(request_reset_glitch(console, time.now_ms + 500));
  for (int i = 0; i < 20; i++) scribble_memory(*console.machine);
  EXPECT_EQ(byte(0x5f2e), 0x5a);
}

// Ctrl+R over a running program: the glitch starts in the same iteration's
// tick, the program is not sliced past the scramble, and it runs again.
TEST_F(ResetGlitch, CtrlRRestartsARunningProgram) {
  // Counts its updates in the first screen byte, which the scramble leaves.
  const std::filesystem::path cart = home.string() + "_counter.tm";
  std::ofstream(cart) << "tamori cartridge\nversion 43\n__lua__\n"
                         "function _update() poke(0x6000, peek(0x6000) + 1) end\n";
  ASSERT_FALSE(start({"-x", cart.string()}));
  auto iterate = [&] {
    time.now_ms += 34;
    ruvo_main_iteration(console);
  };
  for (int i = 0; i < 5; i++) iterate();
  ASSERT_EQ(console.pstate.console_mode, kModeRunning);
  host::keys_host_down(console.app.keys, host::scancode::LeftCtrl);
  host::keys_host_down(console.app.keys, host::scancode::R);
  iterate();
  host::keys_host_up(console.app.keys, host::scancode::R);
  host::keys_host_up(console.app.keys, host::scancode::LeftCtrl);
  EXPECT_EQ(console.pstate.glitch_frames, 2) << "advanced in the same iteration";
  iterate();  // the last slice: the counter passes 2 after it
  const uint8_t updates = byte(0x6000);
  EXPECT_GT(updates, 5);
  while (console.pstate.glitch_frames != 0 && time.now_ms < 200000) {
    iterate();
    EXPECT_EQ(byte(0x6000), updates) << "no slice while the counter is above 2";
  }
  // The program runs again.
  for (int i = 0; i < 3; i++) iterate();
  EXPECT_EQ(console.pstate.console_mode, kModeRunning);
  EXPECT_GT(byte(0x6000), updates);
  std::filesystem::remove(cart);
}

}  // namespace
}  // namespace tamori::shell
