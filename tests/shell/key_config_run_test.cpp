// keyconfig() in a running cartridge: the screen opens as pause state 2
// over the program, takes keys from the host key states, Escape cancels or
// closes it, and finished bindings drive the buttons and are saved.
#include <gtest/gtest.h>

#include <vector>

#include "cartridge_run_fixture.h"
#include "host/files.h"
#include "host/keys.h"
#include "host/scancodes.h"
#include "shell/key_config_screen.h"

namespace tamori::shell {
namespace {

using namespace host::scancode;
constexpr int J = 13, K = 14;

const char* const kCart = R"(
f = 0
function _update()
  f += 1
  if f == 2 then keyconfig() end
  if btn(4) then printh("o held at " .. f) end
  if f == 3 then printh("resumed") end
end
function _draw() cls(3) end
)";

// Presses keys between frames once the screen has opened and seen no key:
// each entry of `script` is held for one frame and released for the next.
struct KeyScript {
  std::vector<int> keys;
  size_t next = 0;
  bool holding = false;
  int opened_at = -1;

  void step(int frame, Console& console) {
    if (opened_at < 0) {
      if (console.pstate.pause_state != kPauseStateKeyConfig) return;
      // The screen takes keys once it has seen every key up for a tick.
      opened_at = frame;
      return;
    }
    if (holding) {
      host::keys_host_up(console.app.keys, keys[next - 1]);
      holding = false;
    } else if (next < keys.size()) {
      host::keys_host_down(console.app.keys, keys[next++]);
      holding = true;
    }
  }
  bool done() const { return next == keys.size() && !holding; }
};

int count_colour(const machine::BackPage& page, uint8_t colour, int x0, int y0, int x1, int y1) {
  int count = 0;
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++) count += page.pixels[size_t(y) * size_t(page.width) + size_t(x)] == colour;
  return count;
}

using KeyConfigRun = testing::CartridgeRun;

TEST_F(KeyConfigRun, OpensOverTheProgramAndEscapeCancels) {
  KeyScript script{{J, K, Escape}};
  std::vector<int> states;
  bool drawn_over_program = false;
  after_frame = [&](int frame, Console& console) {
    states.push_back(console.pstate.pause_state);
    if (console.pstate.pause_state == kPauseStateKeyConfig && script.opened_at < 0) {
      const machine::BackPage& page = console.app.back_page;
      drawn_over_program = page.pixels[0] == 7 && page.pixels[41 * size_t(page.width) + 4] == 6 &&
                           count_colour(page, 3, 0, 0, 127, 127) == 0;
    }
    if (script.next == 2 && !script.holding) {
      EXPECT_EQ(console_settings().button_keys[0], J);
      EXPECT_EQ(console_settings().button_keys[1], K);
    }
    script.step(frame, console);
  };
  HeadlessRunResult result = run_code(kCart, 20);
  ASSERT_TRUE(result.started);
  EXPECT_TRUE(drawn_over_program);
  EXPECT_TRUE(script.done());
  EXPECT_EQ(states[size_t(script.opened_at)], kPauseStateKeyConfig);
  EXPECT_EQ(states.back(), 0) << "Escape closed the screen";
  EXPECT_FALSE(console.input.key_config.open);
  EXPECT_EQ(console_settings().button_keys[0], 0) << "unfinished changes are undone";
  EXPECT_EQ(console_settings().button_keys[1], 0);
  // The program was not ticked while the screen was open, and runs again.
  EXPECT_NE(result.standard_output.find("resumed"), std::string::npos);
  EXPECT_EQ(result.standard_output.find("o held"), std::string::npos);
}

TEST_F(KeyConfigRun, FinishedBindingsDriveTheButtonsAndAreSaved) {
  // Entry 4 is player 0's O button.
  KeyScript script{{Left, Right, Up, Down, J, X, S, F, E, D, Tab, Q, P, Escape}};
  bool saved_text_shown = false;
  int j_pressed_at = -1;
  after_frame = [&](int frame, Console& console) {
    if (script.next == 13 && !script.holding)
      saved_text_shown = count_colour(console.app.back_page, 11, 40, 10, 100, 16) > 10;
    if (script.done() && j_pressed_at < 0 && console.pstate.pause_state == 0) {
      host::keys_host_down(console.app.keys, J);
      j_pressed_at = frame;
      return;
    }
    script.step(frame, console);
  };
  HeadlessRunResult result = run_code(kCart, 40);
  ASSERT_TRUE(result.started);
  EXPECT_TRUE(saved_text_shown) << "\"saved config.\" after the last entry";
  EXPECT_EQ(console_settings().button_keys[4], J);
  EXPECT_EQ(console_settings().button_keys[12], P);
  EXPECT_GE(j_pressed_at, 0);
  EXPECT_NE(result.standard_output.find("o held"), std::string::npos) << result.standard_output;

  ruvo_exit(console);
  std::optional<std::vector<uint8_t>> saved = host::read_file((home / "data" / "config.txt").string());
  ASSERT_TRUE(saved);
  const std::string text(saved->begin(), saved->end());
  EXPECT_NE(text.find("button_keys 80 79 82 81 13 27 22 9 8 7 43 20 19 0 "), std::string::npos) << text;
}

}  // namespace
}  // namespace tamori::shell
