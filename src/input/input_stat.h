// The stat indices the input system answers: 28..39 (developer keyboard,
// controller count, developer mouse) and 120/121 (dropped data remaining).
// The language binding turns the value into a cartridge value and shows
// the notice, when there is one, on the message bar.
#pragma once

#include <cstdint>
#include <string>

#include "host/keys.h"
#include "input/input_state.h"
#include "machine/machine_state.h"

namespace tamori::input {

struct InputStatValue {
  enum class Kind { Number, Boolean, Text };
  Kind kind = Kind::Number;
  int32_t number = 0;  // an integer, not yet fixed point
  bool boolean = false;
  std::string text;
  // "devkit mouse enabled" / "devkit keyboard enabled" on the first such
  // read of a cartridge with a board identifier; shown for kDeveloperNoticeMs.
  std::string notice;
};

bool is_input_stat(int index);

// `key` is stat(28)'s second argument (-1 when it is not a number).
InputStatValue input_stat(InputState& input, const machine::MachineState& machine, const host::KeyStates& keys,
                          int index, int key, bool has_board_id);

}  // namespace tamori::input
