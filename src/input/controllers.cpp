#include "input/controllers.h"

#include <algorithm>
#include <cstdlib>

#include "host/log.h"

namespace tamori::input {
namespace {

constexpr int kAxisCentreLimit = 0x3fff;
// A stick inside this circle (radius about 16384) counts as centred, and
// the d-pad decides the directions.
constexpr int64_t kDeadZoneSquare = 0x8000001;

int64_t floor_half(int value) { return value >= 0 ? value / 2 : -((-value + 1) / 2); }

int full_or_nothing(uint32_t buttons, int bit) { return (buttons >> bit) & 1u ? 255 : 0; }

int stick_amount(int value) { return std::clamp(value / 128, 0, 255); }

// The reading with inputs that were never seen at rest masked out.
ControllerReading validated_reading(ControllerSlot& slot, int slot_index) {
  ControllerReading reading = slot.reading;
  const int axes[2] = {reading.stick_x, reading.stick_y};
  for (int axis = 0; axis < 2; axis++)
    if (std::abs(axes[axis]) <= kAxisCentreLimit) slot.axis_validated[axis] = true;
  if (!slot.axis_validated[0]) reading.stick_x = 0;
  if (!slot.axis_validated[1]) reading.stick_y = 0;

  const uint32_t all_bits = (1u << kControllerButtonBits) - 1;
  slot.buttons_validated |= ~reading.buttons & all_bits;
  const uint32_t unvalidated = reading.buttons & ~slot.buttons_validated & ~slot.unvalidated_logged & all_bits;
  for (int bit = 0; bit < kControllerButtonBits; bit++)
    if ((unvalidated >> bit) & 1u) host::ruvo_log("** button %d not validated on joystick %d\n", bit, slot_index);
  slot.unvalidated_logged |= unvalidated;
  reading.buttons &= slot.buttons_validated;
  return reading;
}

}  // namespace

int connect_controller(ControllerSlots& controllers, int device_id, const std::string& name) {
  if (controller_slot_of(controllers, device_id) >= 0) return -1;
  for (int index = 0; index < kControllerSlots; index++) {
    ControllerSlot& slot = controllers.slots[index];
    if (slot.connected) continue;
    slot = ControllerSlot{};
    slot.connected = true;
    slot.device_id = device_id;
    slot.name = name;
    controllers.notices.push_back("joystick " + std::to_string(index) + " connected");
    return index;
  }
  return -1;
}

int disconnect_controller(ControllerSlots& controllers, int device_id) {
  const int index = controller_slot_of(controllers, device_id);
  if (index < 0) return -1;
  for (int later = index; later + 1 < kControllerSlots; later++)
    controllers.slots[later] = controllers.slots[later + 1];
  controllers.slots[kControllerSlots - 1] = ControllerSlot{};
  controllers.notices.push_back("joystick " + std::to_string(index) + " disconnected");
  return index;
}

void disconnect_all_controllers(ControllerSlots& controllers) {
  for (ControllerSlot& slot : controllers.slots) slot = ControllerSlot{};
}

int connected_controller_count(const ControllerSlots& controllers) {
  return int(std::count_if(std::begin(controllers.slots), std::end(controllers.slots),
                           [](const ControllerSlot& slot) { return slot.connected; }));
}

int controller_slot_of(const ControllerSlots& controllers, int device_id) {
  for (int index = 0; index < kControllerSlots; index++)
    if (controllers.slots[index].connected && controllers.slots[index].device_id == device_id) return index;
  return -1;
}

void set_controller_reading(ControllerSlots& controllers, int slot, const ControllerReading& reading) {
  if (slot < 0 || slot >= kControllerSlots || !controllers.slots[slot].connected) return;
  controllers.slots[slot].reading = reading;
}

int controller_button(ControllerSlots& controllers, int button, int slot_index) {
  if (slot_index < 0 || slot_index >= kControllerSlots || button < 0 || button > 7) return 0;
  ControllerSlot& slot = controllers.slots[slot_index];
  if (!slot.connected) return 0;
  if (!slot.reading.attached) {
    if (!slot.not_attached_logged) host::ruvo_log("** could not read joystick %d (not attached)\n", slot_index);
    slot.not_attached_logged = true;
    return 0;
  }
  const ControllerReading reading = validated_reading(slot, slot_index);
  const uint32_t pad = reading.buttons;
  switch (button) {
    case 4: return std::max(full_or_nothing(pad, kPadA), full_or_nothing(pad, kPadY));
    case 5: return std::max(full_or_nothing(pad, kPadB), full_or_nothing(pad, kPadX));
    case 6: return full_or_nothing(pad, kPadStart);
    case 7: return 0;
    default: break;
  }
  const int x = reading.stick_x, y = reading.stick_y;
  const bool centred = x * floor_half(x) + y * floor_half(y) < kDeadZoneSquare;
  if (centred) {
    const int dpad_bits[4] = {kPadDpadLeft, kPadDpadRight, kPadDpadUp, kPadDpadDown};
    return full_or_nothing(pad, dpad_bits[button]);
  }
  switch (button) {
    case 0: return stick_amount(-x);
    case 1: return stick_amount(x);
    case 2: return stick_amount(-y);
    default: return stick_amount(y);
  }
}

int player_button(ControllerSlots& controllers, int joystick_index, int merge_joysticks, int button, int player) {
  const int merged_last = std::max(merge_joysticks - 1, 0);
  if (player < joystick_index) return 0;
  if (player > joystick_index) return controller_button(controllers, button, player + merged_last - joystick_index);
  int value = 0;
  for (int slot = 0; slot <= merged_last && slot < kControllerSlots; slot++)
    value = std::max(value, controller_button(controllers, button, slot));
  return value;
}

}  // namespace tamori::input
