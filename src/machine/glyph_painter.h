// Draws one printed character: the glyph's eight row bytes scaled (wide,
// tall, dotty), inverted within its box, over an optional solid background
// and inside an optional outline. Rows are held as bit masks so that each of
// these is a handful of bit operations per row.
#pragma once

#include <cstdint>

#include "machine/machine_state.h"

namespace tamori::machine {

struct GlyphStyle {
  int32_t scale_x = 1;  // 1, or 2 for wide and pinball
  int32_t scale_y = 1;  // 1, or 2 for tall and pinball
  bool dotty_columns = false;  // of each doubled column pair only the right one
  bool dotty_rows = false;     // of each doubled row pair only the upper one
  bool padding = true;         // box one scaled pixel larger on the left and top
  bool inverted = false;
  bool solid_background = false;
  uint8_t background_pair = 0;  // colour pair of the background (pattern and masks apply)
  uint16_t outline_mask = 0;    // bit b: neighbour ((b mod 3) - 1, (b div 3) - 1)
  uint8_t outline_colour = 0;
  uint8_t colour = 7;  // colour of glyph pixels, already through the draw palette
};

// Draws the glyph whose top-left pixel is at (x, y) of the draw target in a
// box of width x height font pixels. Returns the box's area in pixels,
// padding included.
int64_t paint_glyph(MachineState& state, const uint8_t rows[8], int32_t width, int32_t height, int32_t x, int32_t y,
                    const GlyphStyle& style);

}  // namespace tamori::machine
