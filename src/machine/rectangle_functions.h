// The cartridge functions `rect`, `rectfill`, `rrect` and `rrectfill`.
// Coordinates are integer parts of 16.16 numbers (-32768..32767) before the
// camera; each function returns the CPU cycles to charge. The binding draws
// no rounded rectangle when called with fewer than two arguments.
#pragma once

#include <cstdint>

#include "machine/colour_argument.h"
#include "machine/machine_state.h"

namespace tamori::machine {

// Corners (x0, y0) and (x1, y1), both inclusive, in any order. pixels / 16.
int64_t rect(MachineState& state, int32_t x0, int32_t y0, int32_t x1, int32_t y1, NumberArgument colour);
int64_t rectfill(MachineState& state, int32_t x0, int32_t y0, int32_t x1, int32_t y1, NumberArgument colour);

// Rounded rectangles at (x, y), w by h pixels, corner radius r (0 when
// missing); the radius shrinks to fit. Outline work / 2, fill work / 16.
int64_t rrect(MachineState& state, int32_t x, int32_t y, int32_t w, int32_t h, int32_t r, NumberArgument colour);
int64_t rrectfill(MachineState& state, int32_t x, int32_t y, int32_t w, int32_t h, int32_t r, NumberArgument colour);

}  // namespace tamori::machine
