// The cartridge functions btn and btnp on plain integers. The language
// binding passes the integer parts of its arguments with their count, and
// charges the cycles of the result.
#pragma once

#include <cstdint>

#include "input/input_state.h"
#include "machine/machine_state.h"

namespace tamori::input {

struct ButtonCallResult {
  // With no arguments the result is a number: bit 8 * p + b holds button b
  // of player p, for players 0 and 1. Otherwise it is a boolean.
  bool is_number = false;
  int32_t number = 0;
  bool value = false;
  int cpu_cycles = 0;
};

// btn(b, p) reads `down`, btnp(b, p) reads `pressed`. b is clamped to 0..7,
// p defaults to 0, and a player outside 0..7 reads false.
ButtonCallResult btn(InputState& input, machine::MachineState& machine, int argument_count, int32_t button,
                     int32_t player);
ButtonCallResult btnp(InputState& input, machine::MachineState& machine, int argument_count, int32_t button,
                      int32_t player);

// A program's writes to 0x5f4c..0x5f53 set buttons 0..5 of the player; this
// takes them into the grid.
void take_button_writes(InputState& input, machine::MachineState& machine);

}  // namespace tamori::input
