// The cartridge's draw-state and shape functions (pset, pget, color, cursor,
// camera, clip, cls, line, rect, rectfill, circ, circfill, oval, ovalfill,
// rrect, rrectfill, pal, palt, fillp, reset), bound to the machine's
// drawing functions with their CPU charges.
#pragma once

#include "runner/language.h"

namespace tamori::machine {
struct MachineState;
}

namespace tamori::runner {

// With a null machine the functions do nothing and return nothing.
void register_draw_functions(ThreadState* state, machine::MachineState* machine);

}  // namespace tamori::runner
