// The row-span writer takes shortcuts (whole runs of the 4-pixel pattern,
// memset for one colour); over random patterns, colours, masks, clips and
// spans it must leave exactly what single pixel writes leave.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "draw_script.h"
#include "machine/pixel_writer.h"

namespace tamori::machine {
namespace {

TEST(RowSpans, MatchPixelByPixelWrites) {
  std::mt19937 random(4321);
  auto below = [&](int limit) { return static_cast<int32_t>(random() % static_cast<uint32_t>(limit)); };
  auto spans = testing::new_drawing_machine();
  auto pixels = testing::new_drawing_machine();
  int cases_with_writes = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    PixelPage& page = *spans->draw_target;
    const int32_t y = below(128);
    for (int x = 0; x < kPixelPageSize; ++x) page.pixels[y * kPixelPageSize + x] = static_cast<uint8_t>(below(16));
    set_pixel_page_clip(page, below(40), 0, 128 - below(40), 128);
    *pixels->draw_target = page;

    PixelWriter writer;
    writer.target = spans->draw_target;
    // A quarter of the cases each: one colour, plain two colours, a
    // transparent pattern, bitplane masks.
    const int kind = trial % 4;
    writer.colour_pair = static_cast<uint8_t>(below(256));
    writer.pattern = kind == 0 ? 0 : static_cast<uint16_t>(random());
    writer.pattern_transparent = kind == 2;
    writer.write_mask = kind == 3 ? static_cast<uint8_t>(below(16)) : 15;
    writer.colour_mask = kind == 3 ? static_cast<uint8_t>(below(16) & writer.write_mask) : 15;
    PixelWriter single = writer;
    single.target = pixels->draw_target;

    const int32_t x0 = below(150) - 10;
    const int32_t x1 = x0 + below(40) - 3;
    const int32_t written = write_row_span(writer, y, x0, x1);
    int32_t expected_count = 0;
    for (int32_t x = x0; x <= x1; ++x) {
      write_pixel(single, x, y);
      if (x >= page.clip_x0 && x < page.clip_x1) ++expected_count;
    }
    ASSERT_EQ(written, expected_count) << "trial " << trial;
    ASSERT_EQ(std::memcmp(page.pixels, pixels->draw_target->pixels, kPixelPageBytes), 0)
        << "trial " << trial << ": row " << y << " from " << x0 << " to " << x1 << ", pattern " << writer.pattern;
    if (expected_count > 0) ++cases_with_writes;
  }
  // Most random spans reach into the clip, so the comparison saw real writes.
  EXPECT_GT(cases_with_writes, 1500);
}

}  // namespace
}  // namespace tamori::machine
