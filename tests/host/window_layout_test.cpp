#include "host/window_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace tamori::host {
namespace {

Layout layout(int page_w, int page_h, int window_w, int window_h, int pixel_perfect = -1, bool fullscreen = false,
              bool keep_aspect = true) {
  LayoutInput input;
  input.page_width = page_w;
  input.page_height = page_h;
  input.window_width = window_w;
  input.window_height = window_h;
  input.pixel_perfect_setting = pixel_perfect;
  input.fullscreen = fullscreen;
  input.keep_aspect = keep_aspect;
  return layout_back_page(input);
}

TEST(WindowLayout, PixelPerfectScalesByWholeNumbersAndCentres) {
  Layout l = layout(128, 128, 300, 300);
  EXPECT_EQ(l.destination, (Rect{22, 22, 256, 256}));
  EXPECT_TRUE(l.nearest_filter);
  EXPECT_EQ(layout(128, 128, 640, 540).destination, (Rect{64, 14, 512, 512}));
  EXPECT_EQ(layout(128, 128, 100, 100, 1).destination, (Rect{-14, -14, 128, 128}));  // at least scale 1
}

TEST(WindowLayout, AutomaticPixelPerfectRule) {
  EXPECT_FALSE(automatic_pixel_perfect(720, 128, 2000, 2000, false));  // wide back pages never
  EXPECT_TRUE(automatic_pixel_perfect(128, 128, 300, 300, false));
  // Full screen 1000 x 700: window relatively wider; H - H mod 128 = 640 < 630? 640 >= 630 -> on.
  EXPECT_TRUE(automatic_pixel_perfect(128, 128, 1000, 700, true));
  // 1000 x 760: 768 would not fit; 640 < 684 -> off.
  EXPECT_FALSE(automatic_pixel_perfect(128, 128, 1000, 760, true));
  // A window smaller than the page: narrower than the page's aspect, W - W mod 128 = 0.
  EXPECT_FALSE(automatic_pixel_perfect(128, 128, 100, 200, false));
}

TEST(WindowLayout, LinearScalingKeepsAspectOrFills) {
  Layout l = layout(128, 128, 1000, 760, -1, true);
  EXPECT_FALSE(l.nearest_filter);
  EXPECT_EQ(l.destination, (Rect{120, 0, 760, 760}));
  EXPECT_EQ(layout(128, 128, 1000, 760, 0, true, false).destination, (Rect{0, 0, 1000, 760}));
  EXPECT_EQ(layout(144, 136, 288, 544, 0).destination.width, 288);  // page wider than window: full width
}

TEST(WindowLayout, DrawRectIsUsedAsGiven) {
  LayoutInput input;
  input.window_width = 640;
  input.window_height = 480;
  input.draw_rect = Rect{5, 6, 100, 50};
  input.draw_rect_given = true;
  EXPECT_EQ(layout_back_page(input).destination, (Rect{5, 6, 100, 50}));
}

TEST(SoftwareBlit, NearestPixelScalingIntoTheRectangle) {
  const uint32_t source[4] = {1, 2, 3, 4};  // 2 x 2
  std::vector<uint32_t> surface(8 * 6, 0);
  software_blit(source, 2, 2, surface.data(), 8, 8, 6, Rect{2, 1, 4, 4});
  const uint32_t expected_rows[6][8] = {
      {0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 1, 1, 2, 2, 0, 0}, {0, 0, 1, 1, 2, 2, 0, 0},
      {0, 0, 3, 3, 4, 4, 0, 0}, {0, 0, 3, 3, 4, 4, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0},
  };
  for (int y = 0; y < 6; y++)
    for (int x = 0; x < 8; x++) EXPECT_EQ(surface[size_t(y) * 8 + x], expected_rows[y][x]) << x << "," << y;
}

// Every pixel of the rectangle holds the source pixel at column
// x * step / 65536 with the integer step width * 65536 / rect width, and
// row y * height / rect height, for whole and fractional scales, inside
// the surface or clipped by it.
TEST(SoftwareBlit, EachPixelComesFromTheNearestSourcePixel) {
  const int source_width = 8, source_height = 4;
  std::vector<uint32_t> source(source_width * source_height);
  for (size_t i = 0; i < source.size(); i++) source[i] = uint32_t(i + 1);
  const int surface_width = 40, surface_height = 20;
  for (const Rect& rect : {Rect{4, 2, 32, 16}, Rect{0, 0, 8, 4}, Rect{3, 1, 20, 13}, Rect{-4, 0, 24, 12},
                           Rect{30, 5, 16, 8}}) {
    SCOPED_TRACE(testing::Message() << rect.x << "," << rect.y << " " << rect.width << "x" << rect.height);
    const int64_t step = int64_t(source_width) * 65536 / rect.width;
    std::vector<uint32_t> surface(size_t(surface_width) * surface_height, 0);
    software_blit(source.data(), source_width, source_height, surface.data(), surface_width, surface_width,
                  surface_height, rect);
    for (int y = 0; y < surface_height; y++)
      for (int x = 0; x < surface_width; x++) {
        const int dx = x - rect.x, dy = y - rect.y;
        const bool inside = dx >= 0 && dx < rect.width && dy >= 0 && dy < rect.height;
        const uint32_t expected =
            inside ? source[size_t(dy * source_height / rect.height) * source_width + size_t(dx * step >> 16)]
                   : 0;
        ASSERT_EQ(surface[size_t(y) * surface_width + x], expected) << x << "," << y;
      }
  }
}

TEST(SoftwareBlit, RectanglePartlyOutsideIsClipped) {
  const uint32_t source[1] = {9};
  std::vector<uint32_t> surface(4 * 4, 0);
  software_blit(source, 1, 1, surface.data(), 4, 4, 4, Rect{-2, -2, 4, 4});
  EXPECT_EQ(surface[0], 9u);
  EXPECT_EQ(surface[1], 9u);
  EXPECT_EQ(surface[2], 0u);
  EXPECT_EQ(surface[4 * 2], 0u);
}

}  // namespace
}  // namespace tamori::host
