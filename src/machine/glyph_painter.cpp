#include "machine/glyph_painter.h"

#include <algorithm>
#include <array>

#include "machine/pixel_writer.h"

namespace tamori::machine {

namespace {

// Box sizes are limited so that a scaled row with its margins fits 64 bits.
constexpr int32_t kMaxBoxWidth = 28;
constexpr int32_t kMaxBoxHeight = 40;
constexpr int kBitmapRows = 2 * kMaxBoxHeight + 4;

// Each bit of a row byte doubled: full, or only the right pixel of the pair.
struct DoublingTables {
  std::array<uint16_t, 256> full{};
  std::array<uint16_t, 256> dotty{};
};

const DoublingTables& doubling_tables() {
  static const DoublingTables tables = [] {
    DoublingTables t;
    for (uint32_t byte = 0; byte < 256; ++byte)
      for (uint32_t bit = 0; bit < 8; ++bit)
        if (byte & (1u << bit)) {
          t.full[byte] = static_cast<uint16_t>(t.full[byte] | (3u << (2 * bit)));
          t.dotty[byte] = static_cast<uint16_t>(t.dotty[byte] | (2u << (2 * bit)));
        }
    return t;
  }();
  return tables;
}

// Bit b of row r is the pixel (box left + b - 1, box top + r - 1), leaving a
// one-pixel margin on every side for the outline.
using Bitmap = std::array<uint64_t, kBitmapRows>;

// Only the first `used_rows` rows can hold bits.
void paint_bitmap(PixelPage& page, const Bitmap& bitmap, int used_rows, int32_t left, int32_t top, uint8_t colour) {
  for (int r = 0; r < used_rows; ++r) {
    int32_t y = top + r - 1;
    if (y < page.clip_y0 || y >= page.clip_y1) continue;
    uint8_t* row = page.pixels + y * kPixelPageSize;
    for (uint64_t bits = bitmap[static_cast<size_t>(r)]; bits != 0; bits &= bits - 1) {
      int32_t x = left + __builtin_ctzll(bits) - 1;
      if (x >= page.clip_x0 && x < page.clip_x1) row[x] = colour & 15;
    }
  }
}

}  // namespace

int64_t paint_glyph(MachineState& state, const uint8_t rows[8], int32_t width, int32_t height, int32_t x, int32_t y,
                    const GlyphStyle& style) {
  width = std::clamp(width, 0, kMaxBoxWidth);
  height = std::clamp(height, 0, kMaxBoxHeight);
  int32_t pad_x = style.padding ? style.scale_x : 0;
  int32_t pad_y = style.padding ? style.scale_y : 0;
  int32_t box_w = width * style.scale_x + pad_x;
  int32_t box_h = height * style.scale_y + pad_y;
  int32_t left = x - pad_x, top = y - pad_y;
  // The glyph's rows or its box, whichever reaches lower, and the margin row
  // below it that an outline may use.
  const int used_rows = std::min(kBitmapRows, std::max(box_h, pad_y + 8 * style.scale_y) + 2);

  const DoublingTables& tables = doubling_tables();
  Bitmap glyph{};
  for (int32_t font_row = 0; font_row < 8; ++font_row) {
    uint64_t bits = rows[font_row];
    if (style.scale_x == 2) bits = style.dotty_columns ? tables.dotty[bits] : tables.full[bits];
    for (int32_t copy = 0; copy < style.scale_y; ++copy) {
      if (copy == 1 && style.dotty_rows) continue;
      glyph[static_cast<size_t>(pad_y + font_row * style.scale_y + copy + 1)] = bits << (pad_x + 1);
    }
  }
  if (style.inverted) {
    uint64_t box_mask = ((uint64_t{1} << box_w) - 1) << 1;
    for (int r = 0; r < kBitmapRows; ++r) {
      bool in_box = r >= 1 && r <= box_h;
      glyph[static_cast<size_t>(r)] = in_box ? ~glyph[static_cast<size_t>(r)] & box_mask : 0;
    }
  }

  PixelPage& page = *state.draw_target;
  if (style.solid_background && box_w > 0 && box_h > 0) {
    DrawColour background;
    background.colour_pair = style.background_pair;
    background.pattern = static_cast<uint16_t>(state.registers.fill_pattern & 0xffff);
    background.pattern_transparent = (state.registers.fill_pattern & kFillPatternTransparent) != 0;
    fill_rectangle(make_pixel_writer(state, background), left, top, left + box_w - 1, top + box_h - 1);
  }
  if (style.outline_mask & 0x1ef) {
    Bitmap outline{};
    for (int r = 1; r + 1 < used_rows; ++r) {
      uint64_t bits = glyph[static_cast<size_t>(r)];
      if (bits == 0) continue;
      for (int b = 0; b < 9; ++b) {
        if (b == 4 || !(style.outline_mask & (1u << b))) continue;
        int dx = b % 3 - 1, dy = b / 3 - 1;
        uint64_t moved = dx < 0 ? bits >> 1 : dx > 0 ? bits << 1 : bits;
        outline[static_cast<size_t>(r + dy)] |= moved;
      }
    }
    for (int r = 0; r < used_rows; ++r) outline[static_cast<size_t>(r)] &= ~glyph[static_cast<size_t>(r)];
    paint_bitmap(page, outline, used_rows, left, top, style.outline_colour);
  }
  paint_bitmap(page, glyph, used_rows, left, top, style.colour);
  return static_cast<int64_t>(box_w) * box_h;
}

}  // namespace tamori::machine
