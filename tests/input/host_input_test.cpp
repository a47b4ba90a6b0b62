// Host event records into the controller slots and the developer mouse.
#include "input/host_input.h"

#include <gtest/gtest.h>

namespace tamori::input {
namespace {

host::HostEvents arrivals(std::initializer_list<int> device_ids) {
  host::HostEvents events;
  for (int id : device_ids) events.controller_changes.push_back({true, id, "pad " + std::to_string(id)});
  return events;
}

TEST(HostInput, ChangesThenReadingsFollowTheDeviceIntoItsPackedSlot) {
  ControllerSlots controllers;
  apply_controller_events(controllers, arrivals({40, 41, 42}));
  host::HostEvents events;
  events.controller_changes.push_back({false, 40, ""});
  events.controller_samples.push_back({42, 100, -100, 1u << kPadA, true});
  events.controller_samples.push_back({40, 0, 0, 0, true});  // gone: ignored
  apply_controller_events(controllers, events);
  EXPECT_EQ(connected_controller_count(controllers), 2);
  EXPECT_EQ(controllers.slots[1].device_id, 42);
  EXPECT_EQ(controllers.slots[1].reading.stick_x, 100);
  EXPECT_EQ(controllers.slots[1].reading.buttons, 1u << kPadA);
  EXPECT_EQ(controllers.slots[0].reading.buttons, 0u);
  EXPECT_EQ(controllers.notices.back(), "joystick 0 disconnected");
}

TEST(HostInput, MouseButtonsWheelAndPosition) {
  DeveloperMouse mouse;
  host::HostEvents events;
  events.mouse_buttons = kMouseMiddle;
  events.wheel_y = -2;
  events.window_mouse_x = 300;
  events.window_mouse_y = 20;
  events.relative_motion_x = 7;
  events.window_width = 400;
  events.window_height = 300;
  events.back_page_rectangle = host::Rect{44, 20, 256, 256};
  apply_mouse_events(mouse, events, false);
  apply_mouse_events(mouse, events, false);
  mouse_take_frame_motion(mouse);
  EXPECT_EQ(developer_mouse_stat(mouse, 34, kDeveloperInputEnabled), kMouseMiddle);
  EXPECT_EQ(developer_mouse_stat(mouse, 36, kDeveloperInputEnabled), -4);
  EXPECT_EQ(developer_mouse_stat(mouse, 32, kDeveloperInputEnabled), 128);
  EXPECT_EQ(developer_mouse_stat(mouse, 33, kDeveloperInputEnabled), 0);
  EXPECT_EQ(mouse.virtual_x, 0) << "relative motion counts only while locked";
  apply_mouse_events(mouse, events, true);
  mouse_take_frame_motion(mouse);
  EXPECT_EQ(developer_mouse_stat(mouse, 32, kDeveloperInputEnabled | kPointerLock), 7);
  EXPECT_EQ(developer_mouse_stat(mouse, 38, kDeveloperInputEnabled | kPointerLock), 7);
}

}  // namespace
}  // namespace tamori::input
