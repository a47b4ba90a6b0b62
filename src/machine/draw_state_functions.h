// The cartridge functions that set the draw state or touch single pixels:
// `pset`, `pget`, `color`, `cursor`, `camera`, `clip`, `cls`, `fillp` and
// `reset`. Coordinates are integer parts; colours and patterns are raw
// 16.16 values because their fraction bits matter. Functions that charge
// CPU cycles return them.
#pragma once

#include <cstdint>
#include <optional>

#include "machine/colour_argument.h"
#include "machine/machine_state.h"

namespace tamori::machine {

// pset(x, y, [col]): one pixel at (x, y) minus the camera. Needs x and y;
// the binding does nothing with fewer.
void pset(MachineState& state, int32_t x, int32_t y, NumberArgument colour);

// pget(x, y): the colour at (x, y) minus the camera, 0 outside the clip
// rectangle (or the byte at 0x5f5b outside the screen when 0x5f36 bit 0x10
// is set), and 0 when either coordinate is missing.
int32_t pget(const MachineState& state, std::optional<int32_t> x, std::optional<int32_t> y);

// color([col]): decodes col as a colour argument, or sets pen colour 6
// without one. Returns the previous pen colour.
int32_t color(MachineState& state, NumberArgument colour);

struct CursorResult {
  int32_t previous_x = 0;
  int32_t previous_y = 0;
  int32_t previous_colour = 0;
};

// cursor(x, y, [col]): sets the print cursor and print home x (missing
// coordinates are 0) and decodes col when given.
CursorResult cursor(MachineState& state, int32_t x, int32_t y, NumberArgument colour);

struct CameraResult {
  int32_t previous_x = 0;
  int32_t previous_y = 0;
};

// camera(x, y): stores both as signed 16-bit values (missing ones are 0).
CameraResult camera(MachineState& state, int32_t x, int32_t y);

struct ClipArguments {
  int32_t x = 0, y = 0, w = 0, h = 0;
  bool clip_previous = false;  // the truth of the fifth argument
};

struct ClipResult {
  int32_t previous_x = 0, previous_y = 0, previous_w = 0, previous_h = 0;
};

// clip(x, y, w, h, [clip_previous]); nullopt (fewer than four arguments)
// resets the clip to the whole screen.
ClipResult clip(MachineState& state, std::optional<ClipArguments> arguments);

// cls([col]): fills the whole draw target with col & 15 (no palette,
// pattern or masks), resets the clip, print home x and cursor. 1024 cycles.
int64_t cls(MachineState& state, NumberArgument colour);

// fillp([p]): pattern bits from the integer part, the transparent, sprite
// and secondary-palette flags from fraction bits 0.5, 0.25 and 0.125.
// Returns the previous pattern as raw 16.16 bits (the pattern in the
// integer part, the transparent and sprite flags in the fraction).
int32_t fillp(MachineState& state, NumberArgument pattern);

// reset(): the run-start reset of the draw and hardware registers. The
// caller reseeds the random generator. Returns the cycles (16).
int64_t reset(MachineState& state);

}  // namespace tamori::machine
