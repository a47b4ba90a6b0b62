#include "host/keys.h"

#include <gtest/gtest.h>

#include "host/scancodes.h"

namespace tamori::host {
namespace {

TEST(KeyStates, PressedOnceThenHeldThenUp) {
  KeyStates keys;
  keys_host_down(keys, scancode::Z);
  keys_update(keys, 0);
  EXPECT_EQ(key_state(keys, scancode::Z), kKeyPressed);
  keys_update(keys, 16);
  EXPECT_EQ(key_state(keys, scancode::Z), kKeyHeld);
  keys_host_up(keys, scancode::Z);
  keys_update(keys, 33);
  EXPECT_EQ(key_state(keys, scancode::Z), kKeyUp);
}

TEST(KeyStates, TapWithinOneFrameStillCounts) {
  KeyStates keys;
  keys_host_down(keys, scancode::X);
  keys_host_up(keys, scancode::X);
  keys_update(keys, 0);
  EXPECT_TRUE(key_pressed(keys, scancode::X));
  keys_update(keys, 16);
  EXPECT_FALSE(key_down(keys, scancode::X));
}

TEST(KeyStates, OneRepeatTimerFor500ThenEvery80Ms) {
  KeyStates keys;
  keys_host_down(keys, scancode::Left);
  keys_update(keys, 1000);
  std::vector<int> repeats;
  for (int t = 1010; t <= 1800; t += 10) {
    keys_update(keys, t);
    if (key_pressed(keys, scancode::Left)) repeats.push_back(t);
  }
  EXPECT_EQ(repeats, (std::vector<int>{1500, 1580, 1660, 1740}));
}

TEST(KeyStates, NewPressRestartsTheTimerForEveryKey) {
  KeyStates keys;
  keys_host_down(keys, scancode::Left);
  keys_update(keys, 0);
  keys_host_down(keys, scancode::Up);
  keys_update(keys, 400);
  keys_update(keys, 500);
  EXPECT_FALSE(key_pressed(keys, scancode::Left));  // re-armed at 400 for 900
  keys_update(keys, 900);
  EXPECT_TRUE(key_pressed(keys, scancode::Left));
  EXPECT_TRUE(key_pressed(keys, scancode::Up));
}

TEST(KeyStates, BlockedKeyReadsUpUntilReleased) {
  KeyStates keys;
  keys_host_down(keys, scancode::Escape);
  keys_update(keys, 0);
  key_block(keys, scancode::Escape);
  keys_update(keys, 16);
  EXPECT_FALSE(key_down(keys, scancode::Escape));
  keys_host_up(keys, scancode::Escape);
  keys_update(keys, 32);
  keys_host_down(keys, scancode::Escape);
  keys_update(keys, 48);
  EXPECT_TRUE(key_pressed(keys, scancode::Escape));
}

// A quick Ctrl+6 whose events straddle two frames: Ctrl goes down in one,
// 6 goes down and both go up in the next. Ctrl was held during that frame.
TEST(KeyStates, ModifierReleasedInTheFrameOfTheChordStillCounts) {
  KeyStates keys;
  keys_host_down(keys, scancode::LeftCtrl);
  keys_update(keys, 0);
  keys_host_down(keys, scancode::Digit6);
  keys_host_up(keys, scancode::LeftCtrl);
  keys_host_up(keys, scancode::Digit6);
  keys_update(keys, 33);
  EXPECT_TRUE(keys.ctrl);
  EXPECT_TRUE(key_pressed(keys, scancode::Digit6));
  keys_update(keys, 66);
  EXPECT_FALSE(keys.ctrl);
  EXPECT_FALSE(key_down(keys, scancode::LeftCtrl));
}

TEST(KeyStates, PseudoKeysAndRemapping) {
  KeyStates keys;
  keys_host_down(keys, scancode::RightGui);
  keys_host_down(keys, scancode::LeftShift);
  keys_update(keys, 0);
  EXPECT_TRUE(keys.ctrl);
  EXPECT_TRUE(keys.shift);
  EXPECT_FALSE(keys.alt);
  RuvoConfig config;
  config.scancode_map[4] = 20;
  EXPECT_EQ(remap_scancode(config, 4), 20);
  EXPECT_EQ(remap_scancode(config, 5), 5);
  EXPECT_EQ(remap_scancode(config, 9999), 9999);
  keys_host_down(keys, 9999);  // out of range: ignored
  EXPECT_EQ(key_state(keys, 9999), kKeyUp);
}

}  // namespace
}  // namespace tamori::host
