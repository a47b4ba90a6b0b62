// A 128x128 image held one byte per pixel (colours 0..15), with the clip
// rectangle that drawing into it honours. The sprite sheet, the display
// pages and the upper-memory video pages are all pixel pages.
#pragma once

#include <cstdint>

namespace tamori::machine {

constexpr int kPixelPageSize = 128;
constexpr int kPixelPageBytes = kPixelPageSize * kPixelPageSize;
// Bytes of memory a page covers: two pixels per byte, 64 bytes a row.
constexpr int kPixelPageMemoryBytes = kPixelPageBytes / 2;

struct PixelPage {
  uint8_t pixels[kPixelPageBytes] = {};
  // Pixels with clip_x0 <= x < clip_x1 and clip_y0 <= y < clip_y1 may be drawn.
  int clip_x0 = 0;
  int clip_y0 = 0;
  int clip_x1 = kPixelPageSize;
  int clip_y1 = kPixelPageSize;
};

// Sets the clip rectangle, each edge clamped into 0..128.
void set_pixel_page_clip(PixelPage& page, int x0, int y0, int x1, int y1);

// The memory byte at `offset` (0..8191) of the page: high pixel * 16 + low pixel.
inline uint8_t pixel_page_read_byte(const PixelPage& page, int offset) {
  const uint8_t* pair = page.pixels + 2 * offset;
  return static_cast<uint8_t>(((pair[1] & 15) << 4) | (pair[0] & 15));
}

// Stores a memory byte: low nibble into the left pixel, high nibble into the right.
inline void pixel_page_write_byte(PixelPage& page, int offset, uint8_t value) {
  uint8_t* pair = page.pixels + 2 * offset;
  pair[0] = value & 15;
  pair[1] = value >> 4;
}

// Span forms of the two above, for copies and fills of whole rows.
void pixel_page_pack_bytes(const PixelPage& page, int offset, uint8_t* bytes, int count);
void pixel_page_unpack_bytes(PixelPage& page, int offset, const uint8_t* bytes, int count);
void pixel_page_fill_bytes(PixelPage& page, int offset, uint8_t value, int count);

}  // namespace tamori::machine
