#include "machine/pixel_page.h"

#include <algorithm>
#include <cstring>

namespace tamori::machine {

void set_pixel_page_clip(PixelPage& page, int x0, int y0, int x1, int y1) {
  page.clip_x0 = std::clamp(x0, 0, kPixelPageSize);
  page.clip_y0 = std::clamp(y0, 0, kPixelPageSize);
  page.clip_x1 = std::clamp(x1, 0, kPixelPageSize);
  page.clip_y1 = std::clamp(y1, 0, kPixelPageSize);
}

void pixel_page_pack_bytes(const PixelPage& page, int offset, uint8_t* bytes, int count) {
  const uint8_t* pair = page.pixels + 2 * offset;
  for (int i = 0; i < count; ++i, pair += 2)
    bytes[i] = static_cast<uint8_t>(((pair[1] & 15) << 4) | (pair[0] & 15));
}

namespace {

// Pixel pairs of every byte value, low nibble first, for unpacking.
struct PixelPairTable {
  uint8_t pairs[256][2];
  PixelPairTable() {
    for (int value = 0; value < 256; ++value) {
      pairs[value][0] = static_cast<uint8_t>(value & 15);
      pairs[value][1] = static_cast<uint8_t>(value >> 4);
    }
  }
};

const PixelPairTable kPixelPairs;

}  // namespace

void pixel_page_unpack_bytes(PixelPage& page, int offset, const uint8_t* bytes, int count) {
  uint8_t* pair = page.pixels + 2 * offset;
  for (int i = 0; i < count; ++i, pair += 2) std::memcpy(pair, kPixelPairs.pairs[bytes[i]], 2);
}

void pixel_page_fill_bytes(PixelPage& page, int offset, uint8_t value, int count) {
  uint8_t low = value & 15;
  uint8_t high = value >> 4;
  uint8_t* pair = page.pixels + 2 * offset;
  if (low == high) {
    std::memset(pair, low, static_cast<size_t>(2 * count));
    return;
  }
  // Fill one row's worth of pairs, then copy it along.
  uint8_t row[kPixelPageSize];
  for (int i = 0; i < kPixelPageSize; i += 2) {
    row[i] = low;
    row[i + 1] = high;
  }
  size_t remaining = static_cast<size_t>(2 * count);
  while (remaining > 0) {
    size_t chunk = remaining < sizeof row ? remaining : sizeof row;
    std::memcpy(pair, row, chunk);
    pair += chunk;
    remaining -= chunk;
  }
}

}  // namespace tamori::machine
