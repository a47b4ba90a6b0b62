#include "input/button_functions.h"

#include <algorithm>

namespace tamori::input {
namespace {

constexpr int kButtonCallCycles = 4;

ButtonCallResult read_button_array(const int32_t* states, int argument_count, int32_t button, int32_t player) {
  ButtonCallResult result;
  if (argument_count < 1) {
    result.is_number = true;
    for (int index = 0; index < 16; index++)
      if (states[index]) result.number |= int32_t(1) << index;
    return result;
  }
  result.cpu_cycles = kButtonCallCycles;
  if (argument_count < 2) player = 0;
  if (player < 0 || player > 7) return result;
  result.value = states[grid_index(player, std::clamp<int32_t>(button, 0, 7))] != 0;
  return result;
}

}  // namespace

void take_button_writes(InputState& input, machine::MachineState& machine) {
  if (machine.buttons_written_mask == 0) return;
  for (int player = 0; player < 8; player++) {
    if (!((machine.buttons_written_mask >> player) & 1)) continue;
    for (int button = 0; button < 6; button++)
      input.buttons.down[grid_index(player, button)] = (machine.button_bits[player] >> button) & 1;
  }
  machine.buttons_written_mask = 0;
}

ButtonCallResult btn(InputState& input, machine::MachineState& machine, int argument_count, int32_t button,
                     int32_t player) {
  take_button_writes(input, machine);
  return read_button_array(input.buttons.down, argument_count, button, player);
}

ButtonCallResult btnp(InputState& input, machine::MachineState& machine, int argument_count, int32_t button,
                      int32_t player) {
  take_button_writes(input, machine);
  return read_button_array(input.buttons.pressed, argument_count, button, player);
}

}  // namespace tamori::input
