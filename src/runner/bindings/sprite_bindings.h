// The cartridge's sprite, map and textured-line functions (spr, sspr, map,
// mapdraw, tline, mget, mset, fget, fset, sget, sset), bound to the
// machine's sprite functions with their CPU charges.
#pragma once

#include "runner/language.h"

namespace tamori::machine {
struct MachineState;
}

namespace tamori::runner {

// With a null machine the functions do nothing and return nothing.
void register_sprite_functions(ThreadState* state, machine::MachineState* machine);

}  // namespace tamori::runner
