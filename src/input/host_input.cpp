#include "input/host_input.h"

namespace tamori::input {

void apply_controller_events(ControllerSlots& controllers, const host::HostEvents& events) {
  for (const host::ControllerChange& change : events.controller_changes) {
    if (change.connected)
      connect_controller(controllers, change.device_id, change.name);
    else
      disconnect_controller(controllers, change.device_id);
  }
  for (const host::ControllerSample& sample : events.controller_samples) {
    const int slot = controller_slot_of(controllers, sample.device_id);
    set_controller_reading(controllers, slot,
                           ControllerReading{sample.stick_x, sample.stick_y, sample.buttons, sample.attached});
  }
}

void apply_mouse_events(DeveloperMouse& mouse, const host::HostEvents& events, bool pointer_locked) {
  mouse.host_buttons = events.mouse_buttons;
  mouse_add_wheel(mouse, events.wheel_x, events.wheel_y);
  mouse_set_window_position(mouse, events.window_mouse_x, events.window_mouse_y, events.back_page_rectangle,
                            events.back_page_width, events.back_page_height);
  if (pointer_locked && (events.relative_motion_x != 0 || events.relative_motion_y != 0))
    mouse_add_locked_motion(mouse, events.relative_motion_x, events.relative_motion_y, events.window_width,
                            events.window_height);
}

}  // namespace tamori::input
