// The cartridge function `tline`: a line whose pixels are sampled from the
// map's sprites along a path through map space, and its precision setting.
// Map coordinates and steps are raw 16.16 values with `precision` fraction
// bits per pixel of map (so a tile is 8 << precision).
#pragma once

#include <cstdint>
#include <optional>

#include "machine/colour_argument.h"
#include "machine/machine_state.h"

namespace tamori::machine {

// tline(bits) sets the precision and returns the previous one; tline()
// (nullopt) returns the current one. 0 reads as 13.
int32_t tline_precision(MachineState& state, std::optional<int32_t> bits);

struct TlineArguments {
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // screen end points before the camera
  int32_t map_x = 0, map_y = 0;            // raw map position at (x0, y0)
  NumberArgument map_dx, map_dy;           // raw step per pixel (1/8 and 0 when missing)
  int32_t layers = 0;
};

// Draws the line; returns 2 cycles per step inside the clip rectangle.
int64_t tline(MachineState& state, const TlineArguments& arguments);

}  // namespace tamori::machine
