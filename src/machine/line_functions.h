// The cartridge function `line` in its three forms, and the line end kept
// in 0x5f35 and 0x5f3c..0x5f3f so that a line can be continued point by
// point. Coordinates are integer parts of 16.16 numbers (-32768..32767)
// before the camera; each function returns the CPU cycles to charge. The
// binding picks the form by the number of arguments: none or one, two or
// three, four or more.
#pragma once

#include <cstdint>

#include "machine/colour_argument.h"
#include "machine/machine_state.h"

namespace tamori::machine {

// line() and line(col): the next one-point line starts afresh. A colour
// argument is decoded (it changes the pen colour).
int64_t line_break(MachineState& state, NumberArgument colour);

// line(x1, y1, [col]): draws from (x1, y1) to the line end and makes
// (x1, y1) the new end; without a valid end it only stores the end.
int64_t line_to(MachineState& state, int32_t x1, int32_t y1, NumberArgument colour);

// line(x0, y0, x1, y1, [col]): draws the line and makes (x1, y1) the end.
int64_t line_between(MachineState& state, int32_t x0, int32_t y0, int32_t x1, int32_t y1, NumberArgument colour);

}  // namespace tamori::machine
