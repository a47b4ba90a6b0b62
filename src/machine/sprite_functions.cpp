#include "machine/sprite_functions.h"

#include <algorithm>
#include <cstdlib>

#include "machine/pixel_writer.h"
#include "machine/sprite_painter.h"

namespace tamori::machine {

namespace {

// A block of the sprite source resolved through the draw palette, flips
// applied, with kSpriteTransparent where the block leaves the source.
struct ScratchPage {
  int32_t width = 0;
  int32_t height = 0;
  uint8_t pixels[kPixelPageBytes];
};

void fill_scratch(ScratchPage& scratch, const MachineState& state, int32_t sx, int32_t sy, int32_t width,
                  int32_t height, bool flip_x, bool flip_y) {
  const uint8_t* palette = state.registers.draw_palette;
  const uint8_t* source = state.sprite_source->pixels;
  scratch.width = width;
  scratch.height = height;
  const bool inside_source = sx >= 0 && sy >= 0 && sx + width <= kPixelPageSize && sy + height <= kPixelPageSize;
  for (int32_t i = 0; i < height; ++i) {
    int32_t row = sy + (flip_y ? height - 1 - i : i);
    uint8_t* out = scratch.pixels + i * width;
    if (inside_source && !flip_x) {
      // The common case: a whole row of the source, no bounds to test.
      const uint8_t* in = source + row * kPixelPageSize + sx;
      for (int32_t j = 0; j < width; ++j) out[j] = palette[in[j] & 15] & 0x1f;
      continue;
    }
    for (int32_t j = 0; j < width; ++j) {
      int32_t column = sx + (flip_x ? width - 1 - j : j);
      bool inside = row >= 0 && row < kPixelPageSize && column >= 0 && column < kPixelPageSize;
      out[j] = inside ? (palette[source[row * kPixelPageSize + column] & 15] & 0x1f) : kSpriteTransparent;
    }
  }
}

// Draws the scratch page 1:1 with its top-left corner at (x, y).
void draw_scratch(MachineState& state, const ScratchPage& scratch, int32_t x, int32_t y) {
  SpritePainter painter = make_sprite_painter(state);
  const PixelPage& page = *painter.target;
  int32_t first_column = std::max(x, page.clip_x0), last_column = std::min(x + scratch.width, page.clip_x1);
  int32_t first_row = std::max(y, page.clip_y0), last_row = std::min(y + scratch.height, page.clip_y1);
  if (first_column >= last_column || first_row >= last_row) return;
  for (int32_t row = first_row; row < last_row; ++row)
    paint_resolved_row(painter, row, first_column,
                       scratch.pixels + (row - y) * scratch.width + (first_column - x), last_column - first_column);
  finish_drawing_rows(state, 0, first_row, last_row - 1);
}

// Draws the scratch page scaled into w x h pixels at (x, y), sampling the
// middle of each destination pixel's share of the source.
void draw_scratch_stretched(MachineState& state, const ScratchPage& scratch, int32_t x, int32_t y, int32_t w,
                            int32_t h) {
  SpritePainter painter = make_sprite_painter(state);
  const PixelPage& page = *painter.target;
  int64_t first_column = std::max<int64_t>(x, page.clip_x0);
  int64_t last_column = std::min<int64_t>(static_cast<int64_t>(x) + w, page.clip_x1);
  int64_t first_row = std::max<int64_t>(y, page.clip_y0);
  int64_t last_row = std::min<int64_t>(static_cast<int64_t>(y) + h, page.clip_y1);
  if (first_column >= last_column || first_row >= last_row) return;
  int64_t step_x = static_cast<int64_t>(scratch.width) * 65536 / w;
  int64_t step_y = static_cast<int64_t>(scratch.height) * 65536 / h;
  int64_t start_x = (first_column - x) * step_x + step_x / 2;
  int64_t position_y = (first_row - y) * step_y + step_y / 2;
  uint8_t row_colours[kPixelPageSize];
  int32_t count = static_cast<int32_t>(last_column - first_column);
  for (int64_t row = first_row; row < last_row; ++row, position_y += step_y) {
    int64_t source_row = std::min<int64_t>(position_y >> 16, scratch.height - 1);
    const uint8_t* source = scratch.pixels + source_row * scratch.width;
    int64_t position_x = start_x;
    for (int32_t i = 0; i < count; ++i, position_x += step_x)
      row_colours[i] = source[std::min<int64_t>(position_x >> 16, scratch.width - 1)];
    paint_resolved_row(painter, static_cast<int32_t>(row), static_cast<int32_t>(first_column), row_colours, count);
  }
  finish_drawing_rows(state, 0, static_cast<int32_t>(first_row), static_cast<int32_t>(last_row - 1));
}

ScratchPage& spr_scratch() {
  static ScratchPage scratch;
  return scratch;
}

ScratchPage& sspr_scratch() {
  static ScratchPage scratch;
  return scratch;
}

}  // namespace

int64_t spr(MachineState& state, int32_t n, int32_t x, int32_t y, NumberArgument w, NumberArgument h, bool flip_x,
            bool flip_y) {
  if (n < 0 || n >= 256) return 0;
  int32_t size_w = w ? *w : 0x10000;
  int32_t size_h = w ? h.value_or(0) : 0x10000;
  constexpr int32_t kEighth = 0x2000;
  if (size_w < kEighth || size_h < kEighth) return 0;
  // Whole pixels of w * 8, at most the sheet's width.
  int32_t pixel_w = std::min(size_w >> 13, kPixelPageSize);
  int32_t pixel_h = std::min(size_h >> 13, kPixelPageSize);
  int32_t sx = (n % 16) * 8, sy = (n / 16) * 8;
  pixel_w = std::min(pixel_w, kPixelPageSize - sx);
  pixel_h = std::min(pixel_h, kPixelPageSize - sy);

  ScratchPage& scratch = spr_scratch();
  fill_scratch(scratch, state, sx, sy, pixel_w, pixel_h, flip_x, flip_y);
  int32_t dx = x - state.registers.camera_x, dy = y - state.registers.camera_y;
  draw_scratch(state, scratch, dx, dy);
  return blit_area_charge(*state.draw_target, dx, dy, pixel_w, pixel_h);
}

int64_t sspr(MachineState& state, int32_t sx, int32_t sy, int32_t sw, int32_t sh, int32_t dx, int32_t dy,
             std::optional<int32_t> dw, std::optional<int32_t> dh, bool flip_x, bool flip_y) {
  if (sw < 1 || sw > kPixelPageSize || sh < 1 || sh > kPixelPageSize) return 0;
  int64_t width = dw ? *dw : sw;
  int64_t height = dw ? dh.value_or(0) : sh;
  if (width == 0 || height == 0) return 0;
  int64_t left = static_cast<int64_t>(dx) - state.registers.camera_x;
  int64_t top = static_cast<int64_t>(dy) - state.registers.camera_y;
  if (width < 0) {
    flip_x = !flip_x;
    width = -width;
    left -= width;
  }
  if (height < 0) {
    flip_y = !flip_y;
    height = -height;
    top -= height;
  }
  // Integer parts and the camera are 16-bit, so every value here fits in
  // 18 bits and the casts below are exact.
  ScratchPage& scratch = sspr_scratch();
  fill_scratch(scratch, state, sx, sy, sw, sh, flip_x, flip_y);
  auto x = static_cast<int32_t>(left), y = static_cast<int32_t>(top);
  auto w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
  if (w == sw && h == sh)
    draw_scratch(state, scratch, x, y);
  else
    draw_scratch_stretched(state, scratch, x, y, w, h);
  return blit_area_charge(*state.draw_target, x, y, w, h);
}

}  // namespace tamori::machine
