// The display output as it reads the machine's memory: the palettes and
// modes from the registers, the page a program's picture comes from, and the
// extra displays of a multi-display back page.
#pragma once

#include "machine/display.h"
#include "machine/machine_state.h"

namespace tamori::machine {

DisplayRegisters display_registers_from_memory(const MachineState& state);

// The picture of display `display` while a program runs: the sprite sheet
// when 0x5f55 is 0 (the sprite sheet is the screen), else that display page.
// Returns true when a scanline palette mode was used.
bool compose_program_picture(const MachineState& state, int display, Picture& output);

// Number of displays the back page holds: 1 with the TV frame, else
// (width / 128) x (height / 128), clamped to 1..4.
int display_count(const BackPage& page, bool tv_frame);

// Multiple displays: with 0x5f36 bit 0x01 set, displays 1..3 go into the
// back page's 128-pixel cells 1..3 (row by row); otherwise display 0 is
// selected for drawing and the other displays' pages are cleared.
// Returns true when a scanline palette mode was used.
bool compose_extra_displays(MachineState& state, BackPage& page, bool tv_frame);

}  // namespace tamori::machine
