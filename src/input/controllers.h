// The console's view of game controllers: up to eight slots, each holding a
// connected device and the last reading the host took from it. The host
// layer reports arrivals, removals and readings as plain records, so
// everything here runs (and is tested) without a real device.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamori::input {

inline constexpr int kControllerSlots = 8;

// Bits of the button word, in the host's game-controller button order.
enum ControllerButtonBit : int {
  kPadA = 0,
  kPadB = 1,
  kPadX = 2,
  kPadY = 3,
  kPadBack = 4,
  kPadGuide = 5,
  kPadStart = 6,
  kPadDpadUp = 11,
  kPadDpadDown = 12,
  kPadDpadLeft = 13,
  kPadDpadRight = 14,
};
inline constexpr int kControllerButtonBits = 21;

// One reading of a device: the left stick and a button word (bit i = button
// i). A device that is listed but cannot be read reports attached = false.
struct ControllerReading {
  int16_t stick_x = 0, stick_y = 0;
  uint32_t buttons = 0;
  bool attached = true;
};

struct ControllerSlot {
  bool connected = false;
  int device_id = -1;  // the host's identifier, unique while connected
  std::string name;
  ControllerReading reading;
  // A stuck input must not press anything: an axis counts once it has been
  // seen near its centre, a button once it has been seen released.
  bool axis_validated[2] = {};
  uint32_t buttons_validated = 0;
  uint32_t unvalidated_logged = 0;
  bool not_attached_logged = false;
};

struct ControllerSlots {
  ControllerSlot slots[kControllerSlots];
  // "joystick %d connected" / "disconnected" texts for the main loop.
  std::vector<std::string> notices;
};

// Puts a newly arrived device into the first free slot (devices beyond the
// eighth are ignored). Returns the slot, or -1.
int connect_controller(ControllerSlots& controllers, int device_id, const std::string& name);
// Removes the device and packs the remaining ones into the lowest slots,
// keeping their order. Returns the slot it had, or -1 when unknown.
int disconnect_controller(ControllerSlots& controllers, int device_id);
void disconnect_all_controllers(ControllerSlots& controllers);
int connected_controller_count(const ControllerSlots& controllers);
// The slot holding the device, or -1.
int controller_slot_of(const ControllerSlots& controllers, int device_id);

// Stores the host's latest reading of the device in slot `slot`.
void set_controller_reading(ControllerSlots& controllers, int slot, const ControllerReading& reading);

// Button b (0..7) of the console as controller slot s reports it, 0..255;
// above 128 counts as down. Updates the validation state.
int controller_button(ControllerSlots& controllers, int button, int slot);

// The controller part of player p's button b: which slots drive which player
// follows `joystick_index` and `merge_joysticks`.
int player_button(ControllerSlots& controllers, int joystick_index, int merge_joysticks, int button, int player);

}  // namespace tamori::input
