// The colour rule that sprites, map tiles and textured lines share: a source
// colour goes through the draw palette (bit 4 makes it transparent), may be
// split by the fill pattern into the secondary palette's two nibbles, and is
// stored through the bitplane masks. Rows are first resolved through the
// palette into a buffer and then painted in one pass.
#pragma once

#include <cstdint>

#include "machine/machine_state.h"

namespace tamori::machine {

// Any resolved value with this bit set is not written.
constexpr uint8_t kSpriteTransparent = 0x10;

struct SpritePainter {
  PixelPage* target = nullptr;
  uint8_t draw_palette[16] = {};
  uint8_t secondary_palette[16] = {};
  uint16_t pattern = 0;
  bool pattern_applies = false;  // fill-pattern flag bit 17
  bool pattern_transparent = false;
  uint8_t write_mask = 15;
  uint8_t colour_mask = 15;  // read mask & write mask
};

SpritePainter make_sprite_painter(const MachineState& state);

// Stores one resolved colour (draw palette entry e, transparency bit
// included) at (x, y), which the caller has clipped. `secondary_index` picks
// the secondary palette entry used under a sprite pattern: e & 15 for
// sprites and tiles, the raw colour for textured lines.
void paint_resolved_pixel(const SpritePainter& painter, int32_t x, int32_t y, uint8_t resolved,
                          uint8_t secondary_index);

// Paints `count` resolved colours along row y from x on; the span must lie
// inside the clip rectangle.
void paint_resolved_row(const SpritePainter& painter, int32_t y, int32_t x, const uint8_t* resolved, int32_t count);

// Cost of a blit of a w x h rectangle at (x, y): the part inside the clip
// rectangle, except that a rectangle starting at or beyond the clip's right
// or bottom edge is charged whole.
int64_t blit_area_charge(const PixelPage& page, int32_t x, int32_t y, int32_t w, int32_t h);

}  // namespace tamori::machine
