// A console's input side without a window: key states driven by scripted
// host events, a machine for the registers, and one tick per update.
#pragma once

#include <memory>

#include "host/keys.h"
#include "input/button_update.h"
#include "input/input_state.h"
#include "input/keyboard_bindings.h"
#include "machine/machine_state.h"
#include "machine/memory.h"
#include "machine/memory_map.h"

namespace tamori::input {

struct InputFixture {
  InputState input;
  host::KeyStates keys;
  std::unique_ptr<machine::MachineState> machine = std::make_unique<machine::MachineState>();
  int32_t now_ms = 0;

  InputFixture() {
    machine::init_machine_state(*machine);
    input.conditions.program_running = true;
    input.conditions.requested_fps = 30;
  }

  void press(int scancode) { host::keys_host_down(keys, scancode); }
  void release(int scancode) { host::keys_host_up(keys, scancode); }

  // One console tick: the host's key states for this frame, then the update.
  void tick() {
    host::keys_update(keys, now_ms);
    update_buttons(input, keys, *machine);
    now_ms += 1000 / get_btnp_update_fps(input);
  }

  bool down(int player, int button) const { return input.buttons.down[grid_index(player, button)] != 0; }
  bool pressed(int player, int button) const { return input.buttons.pressed[grid_index(player, button)] != 0; }
};

}  // namespace tamori::input
