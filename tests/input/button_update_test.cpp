// Button reading, auto-repeat timing and blocking, through held host keys.
#include "input/button_update.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/scancodes.h"
#include "input_fixture.h"

namespace tamori::input {
namespace {

using namespace host::scancode;
// Keys no built-in binding uses.
constexpr int J = 13, K = 14;

struct RepeatCase {
  const char* name;
  int fps;
  uint8_t delay_byte, interval_byte;  // 0x5f5c, 0x5f5d
  bool pause_state_open;
  std::vector<int> pressed_ticks;  // while the key is held from tick 0 for 40 ticks
};

const RepeatCase kRepeatCases[] = {
    {"defaults at 30 fps", 30, 0, 0, false, {0, 15, 19, 23, 27, 31, 35, 39}},
    {"same seconds at 60 fps", 60, 0, 0, false, {0, 30, 38}},
    {"auto-repeat off", 30, 255, 0, false, {0}},
    {"auto-repeat off ignores the interval", 60, 255, 3, false, {0}},
    {"own delay and interval", 30, 5, 2, false,
     {0, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31, 33, 35, 37, 39}},
    {"own delay at 60 fps", 60, 10, 10, false, {0, 20}},
    {"only interval set", 30, 0, 10, false, {0, 15, 25, 35}},
    // A pause state reads after the update, so presses show one tick later.
    {"pause state uses 15 and 4 at 30", 60, 5, 2, true, {1, 16, 20, 24, 28, 32, 36}},
    {"rate below 1 counts as 30", 0, 0, 0, false, {0, 15, 19, 23, 27, 31, 35, 39}},
};

TEST(ButtonRepeat, PressedTicksWhileHeld) {
  for (const RepeatCase& c : kRepeatCases) {
    InputFixture f;
    f.input.conditions.requested_fps = c.fps;
    f.input.conditions.pause_state_open = c.pause_state_open;
    machine::write_memory_byte(*f.machine, kRepeatDelayAddress, c.delay_byte);
    machine::write_memory_byte(*f.machine, kRepeatIntervalAddress, c.interval_byte);
    f.press(Z);
    std::vector<int> pressed_ticks;
    for (int tick = 0; tick < 40; tick++) {
      f.tick();
      if (f.pressed(0, 4)) pressed_ticks.push_back(tick);
    }
    EXPECT_EQ(pressed_ticks, c.pressed_ticks) << c.name;
  }
}

TEST(ButtonRepeat, ReleaseAndPressAgainRestartsTheDelay) {
  InputFixture f;
  f.press(Left);
  for (int tick = 0; tick < 10; tick++) f.tick();
  f.release(Left);
  f.tick();
  EXPECT_FALSE(f.down(0, 0));
  f.press(Left);
  std::vector<int> pressed_ticks;
  for (int tick = 0; tick < 20; tick++) {
    f.tick();
    if (f.pressed(0, 0)) pressed_ticks.push_back(tick);
  }
  EXPECT_EQ(pressed_ticks, (std::vector<int>{0, 15, 19}));
}

TEST(ButtonRead, ConsoleScreensReadAfterTheUpdate) {
  InputFixture f;
  f.input.conditions.program_running = false;
  f.press(X);
  f.tick();
  // Fresh `down`, but pressed is derived at the next update.
  EXPECT_TRUE(f.down(0, 5));
  EXPECT_FALSE(f.pressed(0, 5));
  EXPECT_TRUE(button_pressed(f.input, 5, 0));
  f.tick();
  EXPECT_TRUE(f.pressed(0, 5));
  EXPECT_FALSE(button_pressed(f.input, 5, 0));
  EXPECT_FALSE(button_pressed(f.input, 8, 0));
  EXPECT_FALSE(button_pressed(f.input, 5, 8));
}

TEST(ButtonRead, KeysOfPlayersAndTheMouse) {
  InputFixture f;
  f.press(E);      // player 1 up
  f.press(Tab);    // player 1 O
  f.press(Right);  // player 0 right
  f.input.mouse.host_buttons = kMouseLeft | kMouseMiddle;
  f.tick();
  EXPECT_TRUE(f.down(1, 2));
  EXPECT_TRUE(f.down(1, 4));
  EXPECT_TRUE(f.down(0, 1));
  EXPECT_FALSE(f.down(0, 5)) << "mouse buttons count only with 0x5f2d bits 0 and 1";
  machine::write_memory_byte(*f.machine, kDeveloperFlagsAddress, 3);
  f.tick();
  EXPECT_TRUE(f.down(0, 5));   // left click is X
  EXPECT_TRUE(f.down(0, 6));   // middle is pause
  EXPECT_FALSE(f.down(0, 4));  // right is O
  EXPECT_EQ(machine::read_memory_byte(*f.machine, 0x5f4c), 0x62);
  EXPECT_EQ(machine::read_memory_byte(*f.machine, 0x5f4d), 0x14);
}

TEST(ButtonBlock, HeldAcrossProgramStartNeedsAFreshPress) {
  InputFixture f;
  f.press(Z);
  f.tick();
  ASSERT_TRUE(f.down(0, 4));
  block_buttons(f.input, *f.machine);  // a program starts
  for (int tick = 0; tick < 20; tick++) {
    f.tick();
    EXPECT_FALSE(f.down(0, 4));
    EXPECT_FALSE(f.pressed(0, 4));
  }
  f.release(Z);
  f.tick();
  EXPECT_FALSE(f.down(0, 4));
  f.press(Z);
  f.tick();
  EXPECT_TRUE(f.down(0, 4));
  EXPECT_TRUE(f.pressed(0, 4));
}

TEST(ButtonBlock, MenuItemChoiceKeepsLeftAndRight) {
  InputFixture f;
  f.press(Left);
  f.press(Up);
  f.tick();
  block_buttons(f.input, *f.machine, true);
  f.tick();
  EXPECT_TRUE(f.down(0, 0));
  EXPECT_FALSE(f.down(0, 2));
}

TEST(ButtonKeys, ConfiguredPauseKeyDisablesEscape) {
  InputFixture f;
  f.press(Escape);
  f.tick();
  EXPECT_TRUE(f.down(0, kPauseButton)) << "Escape pauses a running program";
  f.input.conditions.pause_state_open = true;
  f.tick();
  EXPECT_FALSE(f.down(0, kPauseButton)) << "but not while a pause state is open";
  f.input.conditions.pause_state_open = false;
  f.input.settings.button_keys[size_t(button_keys_index(0, kPauseButton))] = Space;
  f.tick();
  EXPECT_FALSE(f.down(0, kPauseButton));
  f.press(Space);
  f.tick();
  EXPECT_TRUE(f.down(0, kPauseButton));
}

TEST(ButtonKeys, ConfiguredKeyReplacesEveryBuiltInKey) {
  InputFixture f;
  f.input.settings.button_keys[size_t(button_keys_index(0, 4))] = K;
  f.press(Z);
  f.press(Keypad1);
  f.tick();
  EXPECT_FALSE(f.down(0, 4));
  f.press(K);
  f.tick();
  EXPECT_TRUE(f.down(0, 4));
  // Players 2 and 3 have keys only through the setting.
  f.input.settings.button_keys[size_t(button_keys_index(3, 3))] = J;
  f.press(J);
  f.tick();
  EXPECT_TRUE(f.down(3, 3));
}

}  // namespace
}  // namespace tamori::input
