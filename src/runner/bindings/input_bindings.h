// The cartridge's input functions (btn, btnp, serial, keyconfig) bound to
// the console's input state with their CPU charges, and the input indices
// of stat (28..39, 120, 121).
#pragma once

#include "runner/language.h"

namespace tamori::input {
struct InputState;
}  // namespace tamori::input

namespace tamori::machine {
struct MachineState;
}  // namespace tamori::machine

namespace tamori::host {
struct KeyStates;
}  // namespace tamori::host

namespace tamori::runner {

// With `input` or `machine` null (a language without a console) the
// functions read no button and move no data, and stat keeps its neutral
// answers. `keys` may be null: the developer keyboard then reads nothing.
void register_input_functions(ThreadState* state, input::InputState* input, machine::MachineState* machine,
                              const host::KeyStates* keys);

}  // namespace tamori::runner
