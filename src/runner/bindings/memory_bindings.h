// The cartridge's memory functions (peek, peek2, peek4, poke, poke2, poke4,
// memcpy, memset, reload, cstore) and the peek operators, bound to the
// machine's memory with their CPU charges.
#pragma once

#include "runner/language.h"

namespace tamori::machine {
struct MachineState;
struct CartridgeStorage;
}  // namespace tamori::machine

namespace tamori::runner {

// `storage` may be null: reload and cstore then fail as without files.
void register_memory_functions(ThreadState* state, machine::MachineState* machine,
                               const machine::CartridgeStorage* storage);

}  // namespace tamori::runner
