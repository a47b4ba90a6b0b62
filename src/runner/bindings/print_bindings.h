// The cartridge's text printing (print and the prelude's __print), bound to
// the machine's printer. A print that asks to wait for frames ends the
// slice; the runner continues it on the following ticks.
#pragma once

#include "runner/language.h"

namespace tamori::machine {
struct MachineState;
struct TextState;
}  // namespace tamori::machine

namespace tamori::runner {

// With a null machine or text state print does nothing and returns nothing.
void register_print_functions(ThreadState* state, machine::MachineState* machine, machine::TextState* text);

// print itself, on the arguments of the running native (stop prints its
// arguments this way).
int print_function(ThreadState* thread);

// One tick of a print still waiting for frames: true when one was waiting
// (the tick then belongs to it and runs no program).
bool continue_waiting_print(machine::MachineState* machine, machine::TextState* text);

}  // namespace tamori::runner
