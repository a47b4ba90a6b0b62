// The draw-state and hardware registers 0x5f00..0x5f7f: each named register
// has its own integer in DrawStateRegisters (or the random, button and
// persistent state); writing one performs its side effect.
#pragma once

#include <cstdint>

#include "machine/machine_state.h"

namespace tamori::machine {

// `offset` is 0..0x7f from 0x5f00. The shadow byte is handled by the caller.
uint8_t read_register_byte(const MachineState& state, int offset);
void write_register_byte(MachineState& state, int offset, uint8_t value);

}  // namespace tamori::machine
