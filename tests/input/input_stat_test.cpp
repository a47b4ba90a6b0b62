// stat 28..39, 120 and 121 through the input system.
#include "input/input_stat.h"

#include <gtest/gtest.h>

#include "host/scancodes.h"
#include "input_fixture.h"

namespace tamori::input {
namespace {

using Kind = InputStatValue::Kind;

InputStatValue stat(InputFixture& f, int index, int key = -1, bool has_board_id = false) {
  return input_stat(f.input, *f.machine, f.keys, index, key, has_board_id);
}

TEST(InputStat, DisabledDeveloperInputReadsFalseEmptyAndZero) {
  InputFixture f;
  f.press(host::scancode::Space);
  f.tick();
  f.input.keyboard.typed = "q";
  f.input.mouse.x = 40;
  f.input.mouse.change_mask = 3;
  EXPECT_EQ(stat(f, 28, host::scancode::Space).kind, Kind::Boolean);
  EXPECT_FALSE(stat(f, 28, host::scancode::Space).boolean);
  EXPECT_FALSE(stat(f, 30).boolean);
  EXPECT_EQ(stat(f, 31).kind, Kind::Text);
  EXPECT_EQ(stat(f, 31).text, "");
  EXPECT_EQ(stat(f, 32).number, 0);
  EXPECT_EQ(stat(f, 37).number, 3) << "the change mask does not need the flag";
  EXPECT_TRUE(stat(f, 32, -1, true).notice.empty());
}

TEST(InputStat, EnabledDeveloperInputWithItsNotices) {
  InputFixture f;
  machine::write_memory_byte(*f.machine, kDeveloperFlagsAddress, kDeveloperInputEnabled);
  f.press(host::scancode::Space);
  f.tick();
  f.input.keyboard.typed = "q";
  f.input.mouse.x = 40;
  EXPECT_TRUE(stat(f, 28, host::scancode::Space).boolean);
  EXPECT_FALSE(stat(f, 28, host::scancode::Up).boolean);
  EXPECT_FALSE(stat(f, 28, -1).boolean) << "not a number";
  EXPECT_FALSE(stat(f, 28, 4096).boolean);
  EXPECT_TRUE(stat(f, 30).boolean);
  EXPECT_EQ(stat(f, 31).text, "q");
  EXPECT_EQ(stat(f, 31).text, "");
  EXPECT_EQ(stat(f, 32).number, 40);
  EXPECT_EQ(stat(f, 33, -1, true).notice, "devkit mouse enabled");
  EXPECT_EQ(stat(f, 33, -1, true).notice, "");
  EXPECT_EQ(stat(f, 30, -1, true).notice, "devkit keyboard enabled");
  EXPECT_EQ(stat(f, 30, -1, true).notice, "");
}

TEST(InputStat, ControllersAndDroppedData) {
  InputFixture f;
  connect_controller(f.input.controllers, 1, "a");
  connect_controller(f.input.controllers, 2, "b");
  EXPECT_EQ(stat(f, 29).number, 2);
  EXPECT_FALSE(stat(f, 120).boolean);
  set_dropped_file(f.input.serial.dropped, {1, 2});
  set_dropped_picture(f.input.serial.dropped, 1, 1, {7});
  EXPECT_TRUE(stat(f, 120).boolean);
  EXPECT_TRUE(stat(f, 121).boolean);
  EXPECT_FALSE(is_input_stat(27));
  EXPECT_FALSE(is_input_stat(40));
  EXPECT_TRUE(is_input_stat(39));
  EXPECT_TRUE(is_input_stat(121));
}

}  // namespace
}  // namespace tamori::input
