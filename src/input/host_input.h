// Takes what the host's event pump reported into the input state:
// controller arrivals, removals and readings, and the developer mouse.
#pragma once

#include "host/platform.h"
#include "input/input_state.h"

namespace tamori::input {

// Connects and disconnects devices in the order they happened (packing the
// slots and queueing the notices), then stores each device's reading.
void apply_controller_events(ControllerSlots& controllers, const host::HostEvents& events);

// Mouse buttons and wheel steps; the pointer through the rectangle the host
// drew the back page into; while the pointer is locked, the relative motion
// moves the virtual pointer.
void apply_mouse_events(DeveloperMouse& mouse, const host::HostEvents& events, bool pointer_locked);

}  // namespace tamori::input
