// The developer mouse as stat 32..39 report it.
#include "input/developer_input.h"

#include <gtest/gtest.h>


namespace tamori::input {
namespace {

constexpr uint8_t kEnabled = kDeveloperInputEnabled;
constexpr uint8_t kLocked = kDeveloperInputEnabled | kPointerLock;

TEST(DeveloperMouse, PositionThroughTheDrawRectangle) {
  DeveloperMouse mouse;
  const host::Rect rectangle{64, 32, 512, 512};  // the back page at scale 4
  mouse_set_window_position(mouse, 64 + 4 * 10 + 3, 32 + 4 * 127, rectangle, 128, 128);
  EXPECT_EQ(developer_mouse_stat(mouse, 32, kEnabled), 10);
  EXPECT_EQ(developer_mouse_stat(mouse, 33, kEnabled), 127);
  EXPECT_EQ(developer_mouse_stat(mouse, 32, 0), 0) << "needs bit 0 of 0x5f2d";
  mouse_set_window_position(mouse, 0, 0, rectangle, 128, 128);
  EXPECT_EQ(developer_mouse_stat(mouse, 32, kEnabled), -16);
}

TEST(DeveloperMouse, WheelAndMotionArePerButtonUpdate) {
  DeveloperMouse mouse;
  mouse_add_wheel(mouse, 0, 1);
  mouse_add_wheel(mouse, 0, 2);
  mouse_add_locked_motion(mouse, -5, 7, 640, 480);
  EXPECT_EQ(developer_mouse_stat(mouse, 36, kLocked), 0) << "taken at the next update";
  mouse_take_frame_motion(mouse);
  EXPECT_EQ(developer_mouse_stat(mouse, 36, kLocked), 3);
  EXPECT_EQ(developer_mouse_stat(mouse, 38, kLocked), -5);
  EXPECT_EQ(developer_mouse_stat(mouse, 39, kLocked), 7);
  EXPECT_EQ(developer_mouse_stat(mouse, 38, kEnabled), 0) << "relative motion needs the lock";
  mouse_take_frame_motion(mouse);
  EXPECT_EQ(developer_mouse_stat(mouse, 36, kLocked), 0);
  // Values leave as 16-bit integers.
  mouse_add_wheel(mouse, 70000, -70000);
  mouse_take_frame_motion(mouse);
  EXPECT_EQ(developer_mouse_stat(mouse, 35, kEnabled), 70000 - 65536);
  EXPECT_EQ(developer_mouse_stat(mouse, 36, kEnabled), -70000 + 65536);
}

TEST(DeveloperMouse, LockedPointerStaysInsideTheWindow) {
  DeveloperMouse mouse;
  mouse_add_locked_motion(mouse, -50, 900, 320, 240);
  EXPECT_EQ(developer_mouse_stat(mouse, 32, kLocked), 0);
  EXPECT_EQ(developer_mouse_stat(mouse, 33, kLocked), 239);
  mouse_add_locked_motion(mouse, 30, -9, 320, 240);
  EXPECT_EQ(developer_mouse_stat(mouse, 32, kLocked), 30);
  EXPECT_EQ(developer_mouse_stat(mouse, 33, kLocked), 230);
}

TEST(DeveloperMouse, RightClickKeyAndChangeMask) {
  DeveloperMouse mouse;
  mouse.host_buttons = kMouseLeft;
  EXPECT_EQ(developer_mouse_stat(mouse, 34, kEnabled), kMouseLeft);
  mouse.right_click_key_held = true;
  EXPECT_EQ(developer_mouse_stat(mouse, 34, kEnabled), kMouseRight);
  mouse_track_changes(mouse);
  EXPECT_EQ(developer_mouse_stat(mouse, 37, 0), 4);
  EXPECT_EQ(developer_mouse_stat(mouse, 37, 0), 0) << "reading clears the mask";
  mouse.y = 5;
  mouse_track_changes(mouse);
  mouse.x = 9;
  mouse_track_changes(mouse);
  EXPECT_EQ(developer_mouse_stat(mouse, 37, 0), 3);
}

}  // namespace
}  // namespace tamori::input
