#include "machine/pixel_writer.h"

#include <algorithm>
#include <cstring>

namespace tamori::machine {

namespace {

// The four pattern bits of row y, the leftmost pixel (x mod 4 = 0) in bit 3.
uint32_t pattern_row_bits(uint16_t pattern, int32_t y) {
  uint32_t row = static_cast<uint32_t>(y) & 3;
  return (static_cast<uint32_t>(pattern) >> (12 - 4 * row)) & 15;
}

uint32_t pattern_bit(uint32_t row_bits, int32_t x) { return (row_bits >> (3 - (static_cast<uint32_t>(x) & 3))) & 1; }

uint8_t colour_for_bit(const PixelWriter& writer, uint32_t bit) {
  return bit ? static_cast<uint8_t>(writer.colour_pair >> 4) : static_cast<uint8_t>(writer.colour_pair & 15);
}

uint8_t masked_pixel(const PixelWriter& writer, uint8_t old_pixel, uint8_t colour) {
  return static_cast<uint8_t>(((old_pixel & ~writer.write_mask) | (colour & writer.colour_mask)) & 15);
}

bool masks_are_plain(const PixelWriter& writer) { return writer.write_mask == 15 && writer.colour_mask == 15; }

}  // namespace

PixelWriter make_pixel_writer(const MachineState& state, const DrawColour& colour) {
  PixelWriter writer;
  writer.target = state.draw_target;
  writer.colour_pair = colour.colour_pair;
  writer.pattern = colour.pattern;
  writer.pattern_transparent = colour.pattern_transparent;
  writer.write_mask = state.registers.write_mask & 15;
  writer.colour_mask = state.registers.read_mask & state.registers.write_mask & 15;
  return writer;
}

void write_pixel(const PixelWriter& writer, int32_t x, int32_t y) {
  const PixelPage& page = *writer.target;
  if (x < page.clip_x0 || x >= page.clip_x1 || y < page.clip_y0 || y >= page.clip_y1) return;
  uint32_t bit = pattern_bit(pattern_row_bits(writer.pattern, y), x);
  if (bit && writer.pattern_transparent) return;
  uint8_t& pixel = writer.target->pixels[y * kPixelPageSize + x];
  pixel = masked_pixel(writer, pixel, colour_for_bit(writer, bit));
}

int32_t write_row_span(const PixelWriter& writer, int32_t y, int32_t x0, int32_t x1) {
  PixelPage& page = *writer.target;
  if (y < page.clip_y0 || y >= page.clip_y1) return 0;
  int32_t first = std::max(x0, page.clip_x0);
  int32_t last = std::min(x1, page.clip_x1 - 1);
  if (first > last) return 0;

  // One lookup of the pattern row gives the colour (or a skip) of each
  // x mod 4 position.
  uint32_t row_bits = pattern_row_bits(writer.pattern, y);
  uint8_t colours[4];
  bool skip[4];
  for (int position = 0; position < 4; ++position) {
    uint32_t bit = (row_bits >> (3 - position)) & 1;
    colours[position] = colour_for_bit(writer, bit);
    skip[position] = bit && writer.pattern_transparent;
  }
  uint8_t* row = page.pixels + y * kPixelPageSize;
  bool any_skip = skip[0] || skip[1] || skip[2] || skip[3];
  if (masks_are_plain(writer) && !any_skip) {
    if (colours[0] == colours[1] && colours[0] == colours[2] && colours[0] == colours[3]) {
      std::memset(row + first, colours[0], static_cast<size_t>(last - first + 1));
    } else {
      // The pattern repeats every 4 pixels, so 8 pixels starting at any x
      // are 8 bytes of `repeated` from x mod 4. A span of 8 or more is
      // written in such runs, the last one overlapping its predecessor.
      uint8_t repeated[12];
      for (int i = 0; i < 12; ++i) repeated[i] = colours[i & 3];
      if (last - first < 7) {
        for (int32_t x = first; x <= last; ++x) row[x] = colours[x & 3];
      } else {
        int32_t x = first;
        for (; x + 7 <= last; x += 8) std::memcpy(row + x, repeated + (x & 3), 8);
        if (x <= last) std::memcpy(row + last - 7, repeated + ((last - 7) & 3), 8);
      }
    }
  } else {
    for (int32_t x = first; x <= last; ++x)
      if (!skip[x & 3]) row[x] = masked_pixel(writer, row[x], colours[x & 3]);
  }
  return last - first + 1;
}

int32_t write_column_span(const PixelWriter& writer, int32_t x, int32_t y0, int32_t y1) {
  const PixelPage& page = *writer.target;
  if (x < page.clip_x0 || x >= page.clip_x1) return 0;
  int32_t first = std::max(y0, page.clip_y0);
  int32_t last = std::min(y1, page.clip_y1 - 1);
  for (int32_t y = first; y <= last; ++y) write_pixel(writer, x, y);
  return first > last ? 0 : last - first + 1;
}

int32_t fill_rectangle(const PixelWriter& writer, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const PixelPage& page = *writer.target;
  int32_t first_row = std::max(y0, page.clip_y0);
  int32_t last_row = std::min(y1, page.clip_y1 - 1);
  int32_t pixels = 0;
  if (x0 > x1) return 0;
  for (int32_t y = first_row; y <= last_row; ++y) pixels += write_row_span(writer, y, x0, x1);
  return pixels;
}

int32_t fill_outside_rectangle(const PixelWriter& writer, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const PixelPage& page = *writer.target;
  int32_t right = page.clip_x1 - 1, bottom = page.clip_y1 - 1;
  return fill_rectangle(writer, page.clip_x0, page.clip_y0, right, y0 - 1) +
         fill_rectangle(writer, page.clip_x0, y1 + 1, right, bottom) +
         fill_rectangle(writer, page.clip_x0, y0, x0 - 1, y1) + fill_rectangle(writer, x1 + 1, y0, right, y1);
}

int32_t fill_clip_rectangle(const PixelWriter& writer) {
  const PixelPage& page = *writer.target;
  return fill_rectangle(writer, page.clip_x0, page.clip_y0, page.clip_x1 - 1, page.clip_y1 - 1);
}

int64_t finish_drawing_rows(MachineState& state, int64_t cycles, int32_t first_row, int32_t last_row) {
  if (state.draw_target != state.sprite_source) return cycles;
  constexpr int32_t kFirstSharedRow = (kSharedSpriteMapAddress - kSpriteSheetAddress) / 64;
  constexpr int32_t kBytesPerRow = kPixelPageSize / 2;
  const PixelPage& page = *state.draw_target;
  first_row = std::max({first_row, page.clip_y0, kFirstSharedRow});
  last_row = std::min(last_row, page.clip_y1 - 1);
  for (int32_t row = first_row; row <= last_row; ++row) {
    int32_t offset = row * kBytesPerRow;
    pixel_page_pack_bytes(page, offset, state.map_grid + 4096 + (offset - kFirstSharedRow * kBytesPerRow),
                          kBytesPerRow);
  }
  return cycles;
}

int64_t finish_drawing(MachineState& state, int64_t cycles) {
  return finish_drawing_rows(state, cycles, 0, kPixelPageSize - 1);
}

}  // namespace tamori::machine
