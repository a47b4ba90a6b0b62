#include "machine/sprite_painter.h"

#include <algorithm>
#include <cstring>

#include "machine/colour_argument.h"

namespace tamori::machine {

namespace {

uint32_t pattern_bit(uint16_t pattern, int32_t x, int32_t y) {
  uint32_t shift = 15 - 4 * (static_cast<uint32_t>(y) & 3) - (static_cast<uint32_t>(x) & 3);
  return (static_cast<uint32_t>(pattern) >> shift) & 1;
}

bool plain_rows(const SpritePainter& painter) {
  return !painter.pattern_applies && painter.write_mask == 15 && painter.colour_mask == 15;
}

}  // namespace

SpritePainter make_sprite_painter(const MachineState& state) {
  const DrawStateRegisters& registers = state.registers;
  SpritePainter painter;
  painter.target = state.draw_target;
  std::memcpy(painter.draw_palette, registers.draw_palette, 16);
  std::memcpy(painter.secondary_palette, registers.secondary_palette, 16);
  painter.pattern = static_cast<uint16_t>(registers.fill_pattern & 0xffff);
  painter.pattern_applies = (registers.fill_pattern & kFillPatternForSprites) != 0;
  painter.pattern_transparent = (registers.fill_pattern & kFillPatternTransparent) != 0;
  painter.write_mask = registers.write_mask & 15;
  painter.colour_mask = registers.read_mask & registers.write_mask & 15;
  return painter;
}

void paint_resolved_pixel(const SpritePainter& painter, int32_t x, int32_t y, uint8_t resolved,
                          uint8_t secondary_index) {
  if (resolved & kSpriteTransparent) return;
  uint8_t colour = resolved & 15;
  if (painter.pattern_applies) {
    uint32_t bit = pattern_bit(painter.pattern, x, y);
    if (bit && painter.pattern_transparent) return;
    colour = static_cast<uint8_t>((painter.secondary_palette[secondary_index & 15] >> (4 * bit)) & 15);
  }
  uint8_t& pixel = painter.target->pixels[y * kPixelPageSize + x];
  pixel = static_cast<uint8_t>(((pixel & ~painter.write_mask) | (colour & painter.colour_mask)) & 15);
}

void paint_resolved_row(const SpritePainter& painter, int32_t y, int32_t x, const uint8_t* resolved, int32_t count) {
  if (plain_rows(painter)) {
    uint8_t* row = painter.target->pixels + y * kPixelPageSize + x;
    for (int32_t i = 0; i < count; ++i)
      if (!(resolved[i] & kSpriteTransparent)) row[i] = resolved[i] & 15;
    return;
  }
  for (int32_t i = 0; i < count; ++i) paint_resolved_pixel(painter, x + i, y, resolved[i], resolved[i]);
}

int64_t blit_area_charge(const PixelPage& page, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (x >= page.clip_x1 || y >= page.clip_y1) return static_cast<int64_t>(w) * h;
  int64_t left = std::max(x, page.clip_x0);
  int64_t top = std::max(y, page.clip_y0);
  int64_t right = std::min<int64_t>(static_cast<int64_t>(x) + w, page.clip_x1);
  int64_t bottom = std::min<int64_t>(static_cast<int64_t>(y) + h, page.clip_y1);
  if (right <= left || bottom <= top) return 0;
  return (right - left) * (bottom - top);
}

}  // namespace tamori::machine
