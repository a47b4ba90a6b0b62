// The pixel write shared by every shape: clip test, 4x4 fill pattern with
// optional transparency, and the bitplane read and write masks. Filled
// shapes write whole row spans, which handle the pattern a row at a time.
#pragma once

#include <cstdint>

#include "machine/colour_argument.h"
#include "machine/machine_state.h"

namespace tamori::machine {

// Everything one drawing call needs to store pixels into the draw target.
struct PixelWriter {
  PixelPage* target = nullptr;
  uint8_t colour_pair = 0;  // low nibble for pattern bit 0, high nibble for bit 1
  uint16_t pattern = 0;
  bool pattern_transparent = false;
  uint8_t write_mask = 15;   // bits of a stored pixel that a write replaces
  uint8_t colour_mask = 15;  // read mask & write mask, applied to the colour
};

PixelWriter make_pixel_writer(const MachineState& state, const DrawColour& colour);

// Writes pixel (x, y) when it lies inside the target's clip rectangle.
void write_pixel(const PixelWriter& writer, int32_t x, int32_t y);

// Writes row y from x0 to x1 inclusive, clamped to the clip rectangle;
// nothing when x1 < x0. Returns the number of pixels inside the clip.
int32_t write_row_span(const PixelWriter& writer, int32_t y, int32_t x0, int32_t x1);

// Writes column x from y0 to y1 inclusive, clamped; nothing when y1 < y0.
int32_t write_column_span(const PixelWriter& writer, int32_t x, int32_t y0, int32_t y1);

// Fills rows y0..y1 from x0 to x1 (inclusive, sorted by the caller),
// clamped to the clip rectangle. Returns the pixels inside the clip.
int32_t fill_rectangle(const PixelWriter& writer, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Fills everything of the clip rectangle outside the rectangle x0..x1,
// y0..y1 (inclusive, sorted): the rows above and below it, and the parts of
// its rows left and right of it.
int32_t fill_outside_rectangle(const PixelWriter& writer, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Fills the whole clip rectangle.
int32_t fill_clip_rectangle(const PixelWriter& writer);

// Ends a drawing call. When the draw target is also the sprite source, its
// rows 64..127 are memory 0x1000..0x1fff, which the map shares: the map
// grid's second half is refreshed from the clipped rows there. Returns
// `cycles` unchanged.
int64_t finish_drawing(MachineState& state, int64_t cycles);

// The same for a call that drew only in rows first_row..last_row.
int64_t finish_drawing_rows(MachineState& state, int64_t cycles, int32_t first_row, int32_t last_row);

}  // namespace tamori::machine
