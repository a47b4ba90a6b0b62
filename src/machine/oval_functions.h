// The cartridge functions `oval`, `ovalfill`, `circ` and `circfill`.
// Coordinates are integer parts of 16.16 numbers (-32768..32767) before the
// camera; each function returns the CPU cycles to charge (outline work / 2,
// fill work / 16). The binding draws no circle when x or y is missing.
#pragma once

#include <cstdint>

#include "machine/colour_argument.h"
#include "machine/machine_state.h"

namespace tamori::machine {

int64_t oval(MachineState& state, int32_t x0, int32_t y0, int32_t x1, int32_t y1, NumberArgument colour);
int64_t ovalfill(MachineState& state, int32_t x0, int32_t y0, int32_t x1, int32_t y1, NumberArgument colour);

// `radius` is the raw 16.16 radius (4 when missing); with 0x5f36 bit 0x02 a
// radius with a half fraction draws one pixel wider.
int64_t circ(MachineState& state, int32_t x, int32_t y, NumberArgument radius, NumberArgument colour);
int64_t circfill(MachineState& state, int32_t x, int32_t y, NumberArgument radius, NumberArgument colour);

}  // namespace tamori::machine
