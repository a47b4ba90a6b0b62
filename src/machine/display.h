// From screen memory to the picture in the window: the screen palette and
// the scanline palette modes, the program's screen modes, the back page with
// the extra-palette flicker, the TV frame, the whole-screen transformation
// and the colour conversions used for captured and dropped images.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tamori::machine {

inline constexpr int kScreenSide = 128;
using Picture = std::array<uint8_t, kScreenSide * kScreenSide>;
using Palette = std::array<std::array<uint8_t, 3>, 256>;

// The registers the composition reads (0x5f10.., 0x5f2c, 0x5f5f..0x5f7f).
struct DisplayRegisters {
  std::array<uint8_t, 16> screen_palette{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  uint8_t screen_mode = 0;
  uint8_t scanline_mode = 0;
  std::array<uint8_t, 16> secondary_palette{};
  std::array<uint8_t, 16> row_bits{};
};

// Maps every pixel of a 128x128 page through the palettes. Returns true when
// one of the scanline palette modes was used (which starts the flicker).
bool map_screen_palette(const uint8_t* page, const DisplayRegisters& registers, bool program_running,
                        Picture& output);

// Stretch, mirror, flip or rotate the picture as screen mode `mode` says
// (bit 0x40 ignored).
void apply_screen_mode(int mode, Picture& picture);

// The whole picture step: palette mapping, then the screen mode while a
// program runs.
bool compose_output_image(const uint8_t* page, const DisplayRegisters& registers, bool program_running,
                          Picture& output);

// The host-side canvas shown in the window, one output-palette code a pixel.
struct BackPage {
  int width = kScreenSide;
  int height = kScreenSide;
  std::vector<uint8_t> pixels = std::vector<uint8_t>(kScreenSide * kScreenSide, 0);
};

void back_page_resize(BackPage& page, int width, int height);
void back_page_clear(BackPage& page);
// Copies a 128x128 picture into the back page with its top-left at (x, y).
void back_page_put(BackPage& page, const Picture& picture, int x, int y);

// The extra-palette flicker's disturbance of the even rows at time `now_ms`.
void disturb_for_flicker(BackPage& page, int32_t now_ms);

// Deadline bookkeeping of the flicker: started once per run, 150 ms long.
struct FlickerState {
  bool armed = false;
  int32_t deadline_ms = 0;
};
void flicker_start(FlickerState& flicker, int32_t now_ms);
void flicker_clear(FlickerState& flicker);
bool flicker_active(const FlickerState& flicker, int32_t now_ms);

// The TV frame: the 128x128 square moves to (8, 4) of a 144x136 page whose
// sides glow with the picture's colours. Rewrites palette entries 16..47,
// 144..175 and 255. `frame_image` supplies the reference colours.
void draw_tv_frame(BackPage& page, Palette& palette, const std::vector<uint8_t>& frame_pixels, int frame_width,
                   int frame_height);

// The `transform_screen` setting (129, 130, 133, 134, 135) applied to the
// back page's top-left 128x128 square.
void apply_transform_screen(BackPage& page, int transform);

// 32-bit conversions. ARGB 8888 words, alpha in the top byte.
void back_page_to_argb(const BackPage& page, const Palette& palette, uint32_t* out);
// 8-bit codes to 32-bit colour: code 0 fully transparent, others opaque.
uint32_t code_to_argb_with_transparency(uint8_t code, const Palette& palette);
// Nearest of the 32 console colours (0..15 then 128..143) after clearing the
// two low bits of each channel; the first wins on ties.
uint8_t nearest_console_colour(uint32_t argb, const Palette& palette);
// Nearest of the 16 current screen colours; the lowest index wins on ties.
uint8_t nearest_screen_palette_index(uint32_t argb, const Palette& palette,
                                     const std::array<uint8_t, 16>& screen_palette);

}  // namespace tamori::machine
