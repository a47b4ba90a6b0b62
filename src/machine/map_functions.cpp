#include "machine/map_functions.h"

#include <algorithm>

#include "machine/memory.h"
#include "machine/pixel_writer.h"
#include "machine/sprite_painter.h"

namespace tamori::machine {

namespace {

constexpr uint8_t kDrawCellZeroFlag = 0x08;      // in 0x5f36
constexpr uint8_t kOutOfRangeReadsFlag = 0x10;   // in 0x5f36
constexpr uint32_t kOutOfRangeSpriteAddress = 0x5f59;
constexpr uint32_t kOutOfRangeMapAddress = 0x5f5a;
constexpr int32_t kTileSize = 8;

int32_t floor_divide(int32_t value, int32_t divisor) {
  int32_t quotient = value / divisor;
  return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

// Draws the 8x8 sprite v with its top-left corner at (x, y), clipped.
void draw_tile(const SpritePainter& painter, const PixelPage& source, int32_t v, int32_t x, int32_t y) {
  const PixelPage& page = *painter.target;
  int32_t first_column = std::max(x, page.clip_x0), last_column = std::min(x + kTileSize, page.clip_x1);
  int32_t first_row = std::max(y, page.clip_y0), last_row = std::min(y + kTileSize, page.clip_y1);
  if (first_column >= last_column) return;
  int32_t source_x = (v % 16) * kTileSize + (first_column - x);
  int32_t source_y = (v / 16) * kTileSize - y;
  int32_t count = last_column - first_column;
  uint8_t resolved[kTileSize];
  for (int32_t row = first_row; row < last_row; ++row) {
    const uint8_t* pixels = source.pixels + (source_y + row) * kPixelPageSize + source_x;
    for (int32_t i = 0; i < count; ++i) resolved[i] = painter.draw_palette[pixels[i] & 15] & 0x1f;
    paint_resolved_row(painter, row, first_column, resolved, count);
  }
}

}  // namespace

bool out_of_range_reads_configured(const MachineState& state) {
  return (read_memory_byte(state, 0x5f36) & kOutOfRangeReadsFlag) != 0;
}

int32_t mget(const MachineState& state, int32_t x, int32_t y) {
  if (map_cell_address(state, x, y) < 0)
    return out_of_range_reads_configured(state) ? read_memory_byte(state, kOutOfRangeMapAddress) : 0;
  return read_map_cell(state, x, y);
}

void mset(MachineState& state, int32_t x, int32_t y, int32_t v) {
  write_map_cell(state, x, y, static_cast<uint8_t>(v & 255));
}

int32_t fget_byte(const MachineState& state, int32_t n) {
  if (n < 0 || n > 255) return 0;
  return state.sprite_flags[n];
}

bool fget_flag(const MachineState& state, int32_t n, int32_t f) {
  if (f < 0 || f > 7) return false;
  return (fget_byte(state, n) >> f) & 1;
}

void fset_byte(MachineState& state, int32_t n, int32_t v) {
  if (n < 0 || n > 255) return;
  write_memory_byte(state, kSpriteFlagsAddress + static_cast<uint32_t>(n), static_cast<uint32_t>(v) & 255);
}

void fset_flag(MachineState& state, int32_t n, int32_t f, bool v) {
  if (n < 0 || n > 255 || f < 0 || f > 7) return;
  uint32_t flags = state.sprite_flags[n];
  flags = v ? (flags | (1u << f)) : (flags & ~(1u << f));
  write_memory_byte(state, kSpriteFlagsAddress + static_cast<uint32_t>(n), flags);
}

int32_t sget(const MachineState& state, int32_t x, int32_t y) {
  if (x < 0 || x >= kPixelPageSize || y < 0 || y >= kPixelPageSize)
    return out_of_range_reads_configured(state) ? read_memory_byte(state, kOutOfRangeSpriteAddress) : 0;
  return state.sprite_source->pixels[y * kPixelPageSize + x] & 15;
}

void sset(MachineState& state, int32_t x, int32_t y, NumberArgument colour) {
  if (x < 0 || x >= kPixelPageSize || y < 0 || y >= kPixelPageSize) return;
  uint32_t value = colour ? (static_cast<uint32_t>(*colour) >> 16) & 15 : state.registers.pen_colour & 15u;
  uint32_t address = kSpriteSheetAddress + static_cast<uint32_t>(y * 64 + x / 2);
  uint32_t old = read_memory_byte(state, address);
  uint32_t updated = (x & 1) ? (old & 0x0f) | (value << 4) : (old & 0xf0) | value;
  write_memory_byte(state, address, updated);
}

int64_t map(MachineState& state, const MapArguments& arguments) {
  const MapGeometry& geometry = state.map;
  int32_t byte_size = geometry.in_upper_memory ? static_cast<int32_t>(kAddressSpaceSize - geometry.start_address)
                                               : kMapGridBytes;
  int32_t tiles_w = arguments.tiles_w.value_or(geometry.width);
  int32_t tiles_h = arguments.tiles_h.value_or(byte_size / geometry.width);
  if (tiles_w <= 0 || tiles_h <= 0) return 0;

  SpritePainter painter = make_sprite_painter(state);
  const PixelPage& page = *painter.target;
  int32_t base_x = arguments.screen_x - state.registers.camera_x;
  int32_t base_y = arguments.screen_y - state.registers.camera_y;
  // Skip the tiles wholly left of or above the clip rectangle, then visit
  // only as many as can reach it.
  int32_t first_i = std::max(0, floor_divide(page.clip_x0 - kTileSize - base_x, kTileSize) + 1);
  int32_t first_j = std::max(0, floor_divide(page.clip_y0 - kTileSize - base_y, kTileSize) + 1);
  int32_t columns = std::min(tiles_w - first_i, (page.clip_x1 - page.clip_x0 + 7) / 8 + 1);
  int32_t rows = std::min(tiles_h - first_j, (page.clip_y1 - page.clip_y0 + 7) / 8 + 1);
  bool draw_zero = read_memory_byte(state, 0x5f36) & kDrawCellZeroFlag;

  int64_t cycles = 0;
  for (int32_t j = first_j; j < first_j + rows; ++j) {
    int32_t y = base_y + j * kTileSize;
    for (int32_t i = first_i; i < first_i + columns; ++i) {
      int32_t v = mget(state, arguments.tile_x + i, arguments.tile_y + j);
      if (v == 0 && !draw_zero) continue;
      if (arguments.layers != 0 && (state.sprite_flags[v] & arguments.layers) == 0) continue;
      int32_t x = base_x + i * kTileSize;
      draw_tile(painter, *state.sprite_source, v, x, y);
      cycles += blit_area_charge(page, x, y, kTileSize, kTileSize);
    }
  }
  return finish_drawing(state, cycles);
}

}  // namespace tamori::machine
