// Map cells, sprite flags and single sprite pixels (`mget`, `mset`, `fget`,
// `fset`, `sget`, `sset`) and the cartridge function `map`, which tiles
// sprites from a block of the map into the draw target. Coordinates are
// integer parts of 16.16 numbers.
#pragma once

#include <cstdint>
#include <optional>

#include "machine/colour_argument.h"
#include "machine/machine_state.h"

namespace tamori::machine {

// The cell at (x, y), or the out-of-range value outside the map (0, or the
// byte at 0x5f5a when 0x5f36 bit 0x10 is set).
int32_t mget(const MachineState& state, int32_t x, int32_t y);

// Writes v & 255 into the cell through its memory byte; nothing outside.
void mset(MachineState& state, int32_t x, int32_t y, int32_t v);

// fget(n): the flag byte of sprite n, 0 for n outside 0..255.
int32_t fget_byte(const MachineState& state, int32_t n);
// fget(n, f): flag f of sprite n; false for f outside 0..7 or n outside 0..255.
bool fget_flag(const MachineState& state, int32_t n, int32_t f);
// fset(n, v): the whole flag byte.
void fset_byte(MachineState& state, int32_t n, int32_t v);
// fset(n, f, v): sets or clears flag f (0..7).
void fset_flag(MachineState& state, int32_t n, int32_t f, bool v);

// The sprite-source pixel, or the out-of-range value outside 0..127 (0, or
// the byte at 0x5f59 when 0x5f36 bit 0x10 is set).
int32_t sget(const MachineState& state, int32_t x, int32_t y);

// Sets a sprite-source pixel to col & 15 (the pen colour's low nibble when
// missing), without the draw palette.
void sset(MachineState& state, int32_t x, int32_t y, NumberArgument colour);

struct MapArguments {
  int32_t tile_x = 0, tile_y = 0;      // first cell
  int32_t screen_x = 0, screen_y = 0;  // where it is drawn, before the camera
  std::optional<int32_t> tiles_w;      // missing: the map's width
  std::optional<int32_t> tiles_h;      // missing: the map's rows
  int32_t layers = 0;                  // draw only sprites with one of these flags
};

// map(tx, ty, sx, sy, tw, th, layers). Returns the CPU cycles: the clipped
// area of every tile drawn.
int64_t map(MachineState& state, const MapArguments& arguments);

// True when 0x5f36 bit 0x10 asks for the configured out-of-range values.
bool out_of_range_reads_configured(const MachineState& state);

}  // namespace tamori::machine
