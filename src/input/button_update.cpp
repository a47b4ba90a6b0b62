#include "input/button_update.h"

#include <algorithm>

#include "input/button_functions.h"
#include "input/keyboard_bindings.h"
#include "machine/memory.h"

namespace tamori::input {
namespace {

constexpr int kDefaultRepeatDelay = 15;
constexpr int kDefaultRepeatInterval = 4;
// Above this a controller value counts as a held button.
constexpr int kControllerThreshold = 128;

int first_repeat_ticks(const InputState& input, const machine::MachineState& machine) {
  return get_repeat_delay(input, machine) * get_btnp_update_fps(input) / 30 + 1;
}

bool mouse_drives_buttons(const machine::MachineState& machine) {
  const uint8_t flags = machine::read_memory_byte(machine, kDeveloperFlagsAddress);
  return (flags & (kDeveloperInputEnabled | kMouseDrivesButtons)) == (kDeveloperInputEnabled | kMouseDrivesButtons);
}

bool mouse_button_down(const InputState& input, int button) {
  const int buttons = mouse_buttons(input.mouse);
  switch (button) {
    case 4: return buttons & kMouseRight;
    case 5: return buttons & kMouseLeft;
    case 6: return buttons & kMouseMiddle;
    default: return false;
  }
}

void publish_button_bits(const InputState& input, machine::MachineState& machine) {
  for (int player = 0; player < 8; player++) {
    uint8_t bits = 0;
    for (int button = 0; button < 8; button++)
      if (input.buttons.down[grid_index(player, button)]) bits = uint8_t(bits | (1u << button));
    machine.button_bits[player] = bits;
    machine.shadow[0x5f4c + player] = bits;
  }
}

}  // namespace

int get_repeat_delay(const InputState& input, const machine::MachineState& machine) {
  const uint8_t delay = machine::read_memory_byte(machine, kRepeatDelayAddress);
  if (input.conditions.pause_state_open || delay == 0) return kDefaultRepeatDelay;
  return delay;
}

int get_repeat_delay_2(const InputState& input, const machine::MachineState& machine) {
  const uint8_t interval = machine::read_memory_byte(machine, kRepeatIntervalAddress);
  if (input.conditions.pause_state_open || interval == 0) return kDefaultRepeatInterval;
  return interval;
}

int get_btnp_update_fps(const InputState& input) {
  if (input.conditions.pause_state_open || input.conditions.requested_fps < 1) return 30;
  return input.conditions.requested_fps;
}

bool player_key(const InputState& input, const host::KeyStates& keys, const machine::MachineState& machine,
                int button, int player) {
  const KeyContext context{input.conditions.program_running, input.conditions.pause_state_open};
  if (keyboard_button_down(keys, input.settings.button_keys, player, button, context)) return true;
  return player == 0 && mouse_drives_buttons(machine) && mouse_button_down(input, button);
}

void read_buttons(InputState& input, const host::KeyStates& keys, const machine::MachineState& machine) {
  ButtonGrid& grid = input.buttons;
  const int first_repeat = first_repeat_ticks(input, machine);
  for (int player = 0; player < 8; player++) {
    uint8_t held_bits = 0;
    for (int button = 0; button < 8; button++) {
      const int index = grid_index(player, button);
      grid.down[index] = 0;
      bool held = player_key(input, keys, machine, button, player) || ((input.scripted_held[player] >> button) & 1);
      if (!held) {
        const int value = player_button(input.controllers, input.settings.joystick_index,
                                        input.settings.merge_joysticks, button, player);
        held = value > kControllerThreshold;
        if (!held) grid.blocked[index] = 0;
      }
      if (held) held_bits = uint8_t(held_bits | (1u << button));
      if (!held || grid.blocked[index]) continue;
      grid.down[index] = 1;
      if (!grid.last_down[index]) grid.repeat_counter[index] = first_repeat;
    }
    input.held_bits[player] = held_bits;
  }
  mouse_take_frame_motion(input.mouse);
}

void update_buttons(InputState& input, const host::KeyStates& keys, machine::MachineState& machine) {
  take_button_writes(input, machine);
  const bool read_first = input.conditions.program_running && !input.conditions.pause_state_open;
  if (read_first) read_buttons(input, keys, machine);

  ButtonGrid& grid = input.buttons;
  const bool repeat_off = machine::read_memory_byte(machine, kRepeatDelayAddress) == kRepeatOff;
  const int interval_ticks = get_repeat_delay_2(input, machine) * get_btnp_update_fps(input) / 30;
  for (int index = 0; index < kGridSize; index++) {
    grid.pressed[index] =
        grid.down[index] && (!grid.last_down[index] || grid.repeat_counter[index] == 1) && !grid.blocked[index];
    grid.last_down[index] = grid.down[index];
    if (repeat_off || grid.repeat_counter[index] <= 0) continue;
    if (grid.repeat_counter[index] == 1)
      grid.repeat_counter[index] = interval_ticks;
    else
      grid.repeat_counter[index]--;
  }

  if (!read_first) read_buttons(input, keys, machine);
  publish_button_bits(input, machine);
}

void block_buttons(InputState& input, const machine::MachineState& machine, bool keep_left_right) {
  ButtonGrid& grid = input.buttons;
  const int restart = input.conditions.pause_state_open ? 16 : first_repeat_ticks(input, machine);
  for (int player = 0; player < 8; player++) {
    for (int button = 0; button < 8; button++) {
      if (keep_left_right && button <= 1) continue;
      const int index = grid_index(player, button);
      grid.blocked[index] = 1;
      grid.down[index] = 0;
      grid.repeat_counter[index] = restart;
    }
  }
}

bool button_pressed(const InputState& input, int button, int player) {
  if (button < 0 || button > 7 || player < 0 || player > 7) return false;
  const int index = grid_index(player, button);
  const ButtonGrid& grid = input.buttons;
  return grid.down[index] && (!grid.last_down[index] || grid.repeat_counter[index] == 1);
}

bool button_pressed_nok(InputState& input, int player, int button) {
  if (!button_pressed(input, button, player)) return false;
  return player_button(input.controllers, input.settings.joystick_index, input.settings.merge_joysticks, button,
                       player) > kControllerThreshold;
}

}  // namespace tamori::input
