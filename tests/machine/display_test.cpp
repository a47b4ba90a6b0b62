#include "machine/display.h"

#include <gtest/gtest.h>

#include <numeric>

namespace tamori::machine {
namespace {

constexpr int N = kScreenSide;

// A page whose pixel (x, y) holds a value unique enough to track moves:
// colour (x + 3y) mod 16, with the palette identity.
std::array<uint8_t, N * N> pattern_page() {
  std::array<uint8_t, N * N> page;
  for (int y = 0; y < N; y++)
    for (int x = 0; x < N; x++) page[y * N + x] = uint8_t((x + 3 * y) % 16);
  return page;
}

uint8_t at(const Picture& p, int x, int y) { return p[y * N + x]; }

Picture composed(int screen_mode, const std::array<uint8_t, N * N>& page) {
  DisplayRegisters registers;
  registers.screen_mode = uint8_t(screen_mode);
  Picture out;
  compose_output_image(page.data(), registers, true, out);
  return out;
}

// For each screen mode, where output pixel (x, y) comes from in the source.
struct ModeCase {
  int mode;
  int (*source_x)(int x, int y);
  int (*source_y)(int x, int y);
};

TEST(ScreenModes, EveryModeMovesPixelsAsItShould) {
  const auto page = pattern_page();
  const ModeCase cases[] = {
      {0, [](int x, int) { return x; }, [](int, int y) { return y; }},
      {1, [](int x, int) { return x / 2; }, [](int, int y) { return y; }},
      {2, [](int x, int) { return x; }, [](int, int y) { return y / 2; }},
      {3, [](int x, int) { return x / 2; }, [](int, int y) { return y / 2; }},
      {0x43, [](int x, int) { return x / 2; }, [](int, int y) { return y / 2; }},
      {5, [](int x, int) { return x < 64 ? x : 127 - x; }, [](int, int y) { return y; }},
      {6, [](int x, int) { return x; }, [](int, int y) { return y < 64 ? y : 127 - y; }},
      {7, [](int x, int) { return x < 64 ? x : 127 - x; }, [](int, int y) { return y < 64 ? y : 127 - y; }},
      {129, [](int x, int) { return 127 - x; }, [](int, int y) { return y; }},
      {130, [](int x, int) { return x; }, [](int, int y) { return 127 - y; }},
      {131, [](int x, int) { return 127 - x; }, [](int, int y) { return 127 - y; }},
      {134, [](int x, int) { return 127 - x; }, [](int, int y) { return 127 - y; }},
      {0xc1, [](int x, int) { return 127 - x; }, [](int, int y) { return y; }},
      // 90 degrees clockwise: source (x, y) shows at (127 - y, x).
      {133, [](int, int y) { return y; }, [](int x, int) { return 127 - x; }},
      // 270 degrees clockwise: source (x, y) shows at (y, 127 - x).
      {135, [](int, int y) { return 127 - y; }, [](int x, int) { return x; }},
      {4, [](int x, int) { return x; }, [](int, int y) { return y; }},
      {200, [](int x, int) { return x; }, [](int, int y) { return y; }},
  };
  for (const ModeCase& c : cases) {
    Picture out = composed(c.mode, page);
    int mismatches = 0;
    for (int y = 0; y < N; y++)
      for (int x = 0; x < N; x++)
        if (at(out, x, y) != page[c.source_y(x, y) * N + c.source_x(x, y)]) mismatches++;
    EXPECT_EQ(mismatches, 0) << "screen mode " << c.mode;
  }
}

TEST(ScreenModes, RotatedPixelAtOriginShowsTopRight) {
  std::array<uint8_t, N * N> page{};
  page[0] = 9;
  Picture out = composed(133, page);
  EXPECT_EQ(at(out, 127, 0), 9);
  EXPECT_EQ(std::accumulate(out.begin(), out.end(), 0), 9);
}

TEST(ScreenModes, IgnoredWhileNoProgramRuns) {
  const auto page = pattern_page();
  DisplayRegisters registers;
  registers.screen_mode = 3;
  Picture out;
  compose_output_image(page.data(), registers, false, out);
  EXPECT_EQ(at(out, 100, 100), page[100 * N + 100]);
}

TEST(ScreenPalette, MapsThroughPaletteAndMasksExtraColours) {
  std::array<uint8_t, N * N> page{};
  page[0] = 1;
  page[1] = 2;
  page[2] = 0x31;  // only the low nibble counts
  DisplayRegisters registers;
  registers.screen_palette[1] = 129;
  registers.screen_palette[2] = 0xff;
  Picture out;
  EXPECT_FALSE(map_screen_palette(page.data(), registers, true, out));
  EXPECT_EQ(out[0], 129);
  EXPECT_EQ(out[1], 0x8f);
  EXPECT_EQ(out[2], 129);
}

TEST(ScanlineModes, RowBitsSelectTheSecondaryPalette) {
  std::array<uint8_t, N * N> page;
  page.fill(3);
  DisplayRegisters registers;
  registers.scanline_mode = 0x10;
  registers.row_bits[0] = 1;  // row 0 only
  registers.secondary_palette[3] = 12;
  Picture out;
  EXPECT_TRUE(map_screen_palette(page.data(), registers, true, out));
  for (int y = 0; y < 8; y++) EXPECT_EQ(at(out, 50, y), y == 0 ? 12 : 3) << "row " << y;
}

TEST(ScanlineModes, ColourBandsFromTheSecondaryPalette) {
  std::array<uint8_t, N * N> page;
  page.fill(5);
  page[0] = 4;
  DisplayRegisters registers;
  registers.scanline_mode = 0x35;
  for (int i = 0; i < 16; i++) registers.secondary_palette[size_t(i)] = uint8_t(i);
  registers.row_bits[2] = 1 << 3;  // row 19
  Picture out;
  map_screen_palette(page.data(), registers, true, out);
  EXPECT_EQ(at(out, 0, 0), 4);    // not colour 5: screen palette
  EXPECT_EQ(at(out, 1, 0), 0);    // band 0
  EXPECT_EQ(at(out, 1, 17), 2);   // band 2
  EXPECT_EQ(at(out, 1, 19), 3);   // band 2, row bit set: next entry
  EXPECT_EQ(at(out, 1, 127), 15);
}

TEST(ScanlineModes, HalfWidthModeUsesTheRightHalfAsMask) {
  std::array<uint8_t, N * N> page{};
  page[10] = 2;
  page[11] = 2;
  page[10 + 64] = 1;  // mask on for column 10 only
  DisplayRegisters registers;
  registers.scanline_mode = 0x20;
  registers.screen_mode = 1;
  registers.secondary_palette[2] = 14;
  Picture out;
  EXPECT_TRUE(compose_output_image(page.data(), registers, true, out));
  // Mode 1 doubles the left half: source column 10 is shown at 20 and 21.
  EXPECT_EQ(at(out, 20, 0), 14);
  EXPECT_EQ(at(out, 21, 0), 14);
  EXPECT_EQ(at(out, 22, 0), 2);
  // Without screen mode 1 the mode does nothing.
  registers.screen_mode = 0;
  EXPECT_FALSE(compose_output_image(page.data(), registers, true, out));
  EXPECT_EQ(at(out, 10, 0), 2);
}

TEST(Flicker, StartsOnceForOneHundredFiftyMilliseconds) {
  FlickerState flicker;
  EXPECT_FALSE(flicker_active(flicker, 0));
  flicker_start(flicker, 1000);
  flicker_start(flicker, 1100);  // only the first start counts
  EXPECT_TRUE(flicker_active(flicker, 1149));
  EXPECT_FALSE(flicker_active(flicker, 1150));
  flicker_clear(flicker);
  flicker_start(flicker, 5000);
  EXPECT_TRUE(flicker_active(flicker, 5100));
}

TEST(Flicker, ShiftsEvenRowsAndLeavesOddRows) {
  BackPage page;
  for (int y = 0; y < N; y++)
    for (int x = 0; x < N; x++) page.pixels[size_t(y) * N + x] = uint8_t(x % 16);
  BackPage before = page;
  disturb_for_flicker(page, 0);
  for (int x = 0; x < N; x++) EXPECT_EQ(page.pixels[size_t(N) + x], before.pixels[size_t(N) + x]);
  // Row 2 (bit 1 set): a pure shift left with the next row's first pixel wrapped in.
  for (int x = 0; x < N - 1; x++) EXPECT_EQ(page.pixels[size_t(2) * N + x], before.pixels[size_t(2) * N + x + 1]);
  EXPECT_EQ(page.pixels[size_t(2) * N + N - 1], before.pixels[size_t(3) * N]);
  // Row 0: columns with (x & 6) != 0 are shifted values.
  EXPECT_EQ(page.pixels[2], before.pixels[3]);
  // Changed values swap base and extra colours (low nibble kept) or become 1.
  for (int x = 0; x < N; x += 8) {
    uint8_t value = page.pixels[size_t(x)];
    uint8_t moved = before.pixels[size_t(x + 1) % N];
    EXPECT_TRUE(value == moved || value == uint8_t(moved - 128) || (moved % 16 == 0 && value == 1)) << x;
  }
}

TEST(TvFrame, PutsThePictureInAFrameWithGlowingSides) {
  BackPage page;
  back_page_resize(page, 144, 136);
  for (int y = 0; y < N; y++)
    for (int x = 0; x < N; x++) page.pixels[size_t(y) * 144 + x] = x < 64 ? 8 : 12;
  Palette palette{};
  palette[8] = {200, 0, 0};
  palette[12] = {0, 0, 200};
  std::vector<uint8_t> frame(4 * 8, 0);
  draw_tv_frame(page, palette, frame, 4, 8);
  EXPECT_EQ(page.width, 144);
  EXPECT_EQ(page.pixels[size_t(4) * 144 + 8], 8);        // picture moved to (8, 4)
  EXPECT_EQ(page.pixels[size_t(4) * 144 + 8 + 127], 12);
  EXPECT_EQ(page.pixels[0], 172);
  EXPECT_EQ(page.pixels[size_t(135) * 144 + 143], 172);
  EXPECT_EQ(page.pixels[size_t(68) * 144 + 1], 16 + 32 * 68 / 136);
  EXPECT_EQ(page.pixels[size_t(68) * 144 + 142], 144 + 32 * 68 / 136);
  EXPECT_GT(palette[16][0], palette[16][2]);    // left glows red
  EXPECT_GT(palette[144][2], palette[144][0]);  // right glows blue
  EXPECT_EQ(palette[255], (std::array<uint8_t, 3>{73, 51, 59}));
}

TEST(TransformScreen, RotatesTheTopLeftSquare) {
  BackPage page;
  page.pixels[0] = 7;
  apply_transform_screen(page, 133);
  EXPECT_EQ(page.pixels[127], 7);
  apply_transform_screen(page, 0);
  EXPECT_EQ(page.pixels[127], 7);
  apply_transform_screen(page, 129);
  EXPECT_EQ(page.pixels[0], 7);
}

TEST(ColourConversion, NearestConsoleAndScreenColours) {
  Palette palette{};
  for (int i = 0; i < 16; i++) palette[size_t(i)] = {uint8_t(i * 16), uint8_t(i * 16), uint8_t(i * 16)};
  palette[128] = {255, 0, 0};
  EXPECT_EQ(nearest_console_colour(0xffff0101, palette), 128);
  EXPECT_EQ(nearest_console_colour(0xff121212, palette), 1);
  std::array<uint8_t, 16> screen_palette{};
  for (int i = 0; i < 16; i++) screen_palette[size_t(i)] = uint8_t(15 - i);
  EXPECT_EQ(nearest_screen_palette_index(0xfff0f0f0, palette, screen_palette), 0);
  EXPECT_EQ(code_to_argb_with_transparency(0, palette), 0u);
  EXPECT_EQ(code_to_argb_with_transparency(128, palette), 0xffff0000u);
}

}  // namespace
}  // namespace tamori::machine
