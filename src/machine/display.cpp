#include "machine/display.h"

#include <algorithm>
#include <cstring>

namespace tamori::machine {
namespace {

constexpr int N = kScreenSide;

bool row_bit(const DisplayRegisters& registers, int y) { return (registers.row_bits[y / 8] >> (y % 8)) & 1; }

void flip_horizontally(Picture& p) {
  for (int y = 0; y < N; y++) std::reverse(p.begin() + y * N, p.begin() + (y + 1) * N);
}

void flip_vertically(Picture& p) {
  for (int y = 0; y < N / 2; y++) std::swap_ranges(p.begin() + y * N, p.begin() + (y + 1) * N, p.begin() + (N - 1 - y) * N);
}

// Rotates clockwise by 90 degrees (quarter_turns 1) or 270 degrees (3).
void rotate(Picture& p, int quarter_turns) {
  Picture old = p;
  for (int y = 0; y < N; y++)
    for (int x = 0; x < N; x++)
      p[y * N + x] = quarter_turns == 1 ? old[(N - 1 - x) * N + y] : old[x * N + (N - 1 - y)];
}

}  // namespace

bool map_screen_palette(const uint8_t* page, const DisplayRegisters& registers, bool program_running,
                        Picture& output) {
  const int mode = registers.scanline_mode;
  const bool half_width_mode = mode == 0x20 && program_running && (registers.screen_mode & ~0x40) == 1;
  const bool used_scanline_mode = mode == 0x10 || half_width_mode || (mode & 0xf0) == 0x30;
  for (int y = 0; y < N; y++) {
    const uint8_t* source = page + y * N;
    uint8_t* out = output.data() + y * N;
    const bool bit = row_bit(registers, y);
    for (int x = 0; x < N; x++) {
      const uint8_t v = source[x] & 15;
      uint8_t colour = registers.screen_palette[v];
      if (mode == 0x10) {
        if (bit) colour = registers.secondary_palette[v];
      } else if (half_width_mode) {
        if (x < N / 2 && (source[x + N / 2] & 15) != 0) colour = registers.secondary_palette[v];
      } else if ((mode & 0xf0) == 0x30) {
        if (v == (mode & 15)) colour = registers.secondary_palette[(y / 8 + (bit ? 1 : 0)) % 16];
      }
      out[x] = colour & 0x8f;
    }
  }
  return used_scanline_mode;
}

void apply_screen_mode(int mode, Picture& p) {
  if ((mode & ~0x42) == 1)
    for (int y = 0; y < N; y++)
      for (int x = N - 1; x >= 0; x--) p[y * N + x] = p[y * N + x / 2];
  if ((mode & ~0x41) == 2)
    for (int y = N - 1; y >= 0; y--) std::memmove(&p[y * N], &p[(y / 2) * N], N);
  if ((mode & ~0x42) == 5)
    for (int y = 0; y < N; y++)
      for (int x = 0; x < N / 2; x++) p[y * N + N - 1 - x] = p[y * N + x];
  if ((mode & ~0x41) == 6)
    for (int y = 0; y < N / 2; y++) std::memcpy(&p[(N - 1 - y) * N], &p[y * N], N);
  const int m = mode & ~0x40;
  if ((m & ~0x41) == 130 || m == 134) flip_vertically(p);
  if ((m & ~0x42) == 129 || m == 134) flip_horizontally(p);
  if (m == 133) rotate(p, 1);
  if (m == 135) rotate(p, 3);
}

bool compose_output_image(const uint8_t* page, const DisplayRegisters& registers, bool program_running,
                          Picture& output) {
  bool scanline = map_screen_palette(page, registers, program_running, output);
  if (program_running) apply_screen_mode(registers.screen_mode, output);
  return scanline;
}

void back_page_resize(BackPage& page, int width, int height) {
  page.width = std::max(1, width);
  page.height = std::max(1, height);
  page.pixels.assign(size_t(page.width) * size_t(page.height), 0);
}

void back_page_clear(BackPage& page) { std::fill(page.pixels.begin(), page.pixels.end(), 0); }

void back_page_put(BackPage& page, const Picture& picture, int x0, int y0) {
  for (int y = 0; y < N; y++) {
    int ty = y0 + y;
    if (ty < 0 || ty >= page.height) continue;
    for (int x = 0; x < N; x++) {
      int tx = x0 + x;
      if (tx >= 0 && tx < page.width) page.pixels[size_t(ty) * page.width + tx] = picture[y * N + x];
    }
  }
}

void disturb_for_flicker(BackPage& page, int32_t now_ms) {
  const int32_t s = int32_t(uint32_t(now_ms / 4000) * 101u + 10201u);
  const size_t size = page.pixels.size();
  for (int y = 0; y < page.height && y < N; y += 2) {
    const size_t start = size_t(y) * page.width;
    const size_t wrap_index = y == 0 ? start : start + 128;
    const uint8_t wrap_in = wrap_index < size ? page.pixels[wrap_index] : 0;
    uint8_t* row = page.pixels.data() + start;
    for (int x = 0; x < page.width; x++) {
      uint8_t value = x + 1 < page.width ? row[x + 1] : wrap_in;
      if ((y & 2) == 0 && (x & 6) == 0) {
        uint32_t product = uint32_t(s) * uint32_t(y + 1001) * uint32_t(x + 1103);
        if (int32_t(product) % 19 != 0) value = (value & 15) ? uint8_t(value - 128) : 1;
      }
      row[x] = value;
    }
  }
}

void flicker_start(FlickerState& flicker, int32_t now_ms) {
  if (flicker.armed) return;
  flicker.armed = true;
  flicker.deadline_ms = now_ms + 150;
}

void flicker_clear(FlickerState& flicker) { flicker = FlickerState{}; }

bool flicker_active(const FlickerState& flicker, int32_t now_ms) {
  return flicker.armed && now_ms - flicker.deadline_ms < 0;
}

void draw_tv_frame(BackPage& page, Palette& palette, const std::vector<uint8_t>& frame_pixels, int frame_width,
                   int frame_height) {
  Picture square{};
  for (int y = 0; y < N && y < page.height; y++)
    for (int x = 0; x < N && x < page.width; x++) square[y * N + x] = page.pixels[size_t(y) * page.width + x];
  back_page_resize(page, 144, 136);
  back_page_put(page, square, 8, 4);
  palette[255] = {73, 51, 59};

  for (int side = 0; side < 2; side++) {
    const int first_entry = side == 0 ? 16 : 144;
    int bands[32][3];
    for (int j = 0; j < 32; j++) {
      long long sums[3] = {0, 0, 0}, total_weight = 0;
      for (int y = 4 * j; y < 4 * j + 4; y++) {
        for (int distance = 0; distance < 64; distance++) {
          int x = side == 0 ? distance : N - 1 - distance;
          const auto& rgb = palette[square[y * N + x]];
          long long weight = (80 - distance) + rgb[0] + rgb[1] + rgb[2];
          for (int c = 0; c < 3; c++) sums[c] += weight * rgb[c];
          total_weight += weight;
        }
      }
      for (int c = 0; c < 3; c++) bands[j][c] = int(sums[c] / total_weight);
    }
    for (int pass = 0; pass < 64; pass++)
      for (int j = 0; j < 32; j++)
        for (int c = 0; c < 3; c++)
          bands[j][c] = (6 * bands[j][c] + bands[std::max(j - 1, 0)][c] + bands[std::min(j + 1, 31)][c]) >> 3;
    for (int j = 0; j < 32; j++) {
      std::array<uint8_t, 3> reference{0, 0, 0};
      if (frame_width >= 2 && frame_height >= 1 && frame_pixels.size() >= size_t(frame_width) * frame_height) {
        int column = side == 0 ? 1 : frame_width - 2;
        int row = frame_height * j / 32;
        reference = palette[frame_pixels[size_t(row) * frame_width + column]];
      }
      for (int c = 0; c < 3; c++) palette[size_t(first_entry + j)][c] = uint8_t(reference[c] + bands[j][c] * 205 / 1024);
    }
  }
  for (int y = 0; y < page.height; y++) {
    for (int x = 0; x < 3; x++) {
      page.pixels[size_t(y) * page.width + x] = uint8_t(16 + 32 * y / 136);
      page.pixels[size_t(y) * page.width + page.width - 1 - x] = uint8_t(144 + 32 * y / 136);
    }
  }
  for (size_t corner : {size_t(0), size_t(page.width - 1), size_t(page.height - 1) * page.width,
                        page.pixels.size() - 1})
    page.pixels[corner] = 172;
}

void apply_transform_screen(BackPage& page, int transform) {
  if (transform <= 127 || page.width < N || page.height < N) return;
  Picture square;
  for (int y = 0; y < N; y++) std::memcpy(&square[y * N], &page.pixels[size_t(y) * page.width], N);
  if (transform == 130 || transform == 134) flip_vertically(square);
  if (transform == 129 || transform == 134) flip_horizontally(square);
  if (transform == 133) rotate(square, 1);
  if (transform == 135) rotate(square, 3);
  for (int y = 0; y < N; y++) std::memcpy(&page.pixels[size_t(y) * page.width], &square[y * N], N);
}

void back_page_to_argb(const BackPage& page, const Palette& palette, uint32_t* out) {
  uint32_t lookup[256];
  for (int i = 0; i < 256; i++)
    lookup[i] = 0xff000000u | uint32_t(palette[i][0]) << 16 | uint32_t(palette[i][1]) << 8 | palette[i][2];
  for (size_t i = 0; i < page.pixels.size(); i++) out[i] = lookup[page.pixels[i]];
}

uint32_t code_to_argb_with_transparency(uint8_t code, const Palette& palette) {
  if (code == 0) return 0;
  const auto& rgb = palette[code];
  return 0xff000000u | uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
}

uint8_t nearest_console_colour(uint32_t argb, const Palette& palette) {
  const int r = (argb >> 16) & 0xfc, g = (argb >> 8) & 0xfc, b = argb & 0xfc;
  int best_distance = 1 << 30;
  uint8_t best = 0;
  for (int i = 0; i < 32; i++) {
    uint8_t code = uint8_t(i < 16 ? i : 128 + i - 16);
    const auto& rgb = palette[code];
    int dr = r - rgb[0], dg = g - rgb[1], db = b - rgb[2];
    int distance = dr * dr + dg * dg + db * db;
    if (distance < best_distance) {
      best_distance = distance;
      best = code;
    }
  }
  return best;
}

uint8_t nearest_screen_palette_index(uint32_t argb, const Palette& palette,
                                     const std::array<uint8_t, 16>& screen_palette) {
  const int r = (argb >> 16) & 0xff, g = (argb >> 8) & 0xff, b = argb & 0xff;
  int best_distance = 1 << 30;
  uint8_t best = 0;
  for (int k = 0; k < 16; k++) {
    const auto& rgb = palette[screen_palette[k] & 0x8f];
    int dr = r - rgb[0], dg = g - rgb[1], db = b - rgb[2];
    int distance = dr * dr + dg * dg + db * db;
    if (distance < best_distance) {
      best_distance = distance;
      best = uint8_t(k);
    }
  }
  return best;
}

}  // namespace tamori::machine
