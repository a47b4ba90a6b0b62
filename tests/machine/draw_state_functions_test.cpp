// The draw-state and palette functions through their results and the
// registers a program can peek.
#include "machine/draw_state_functions.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "draw_script.h"
#include "machine/memory.h"
#include "machine/palette_functions.h"

namespace tamori::machine {
namespace {

using testing::new_drawing_machine;

constexpr int32_t fixed(int32_t whole) { return static_cast<int32_t>(static_cast<uint32_t>(whole) << 16); }

TEST(Pal, ReturnsThePreviousValueOfTheEntryItChanges) {
  auto m = new_drawing_machine();
  EXPECT_EQ(pal_set(*m, 7, 8, std::nullopt).previous, 7);
  EXPECT_EQ(pal_set(*m, 7, 9, 0).previous, 8);
  // Another palette number changes nothing.
  EXPECT_EQ(pal_set(*m, 7, 8, 3).previous, 0);
  EXPECT_EQ(read_memory_byte(*m, 0x5f07), 9);
  // The transparency bit of the draw palette is kept, but not returned.
  EXPECT_EQ(pal_set(*m, 0, 5, 0).previous, 0);
  EXPECT_EQ(read_memory_byte(*m, 0x5f00), 0x15);
  EXPECT_EQ(pal_set(*m, 0x13, 4, 2).previous, kDefaultSecondaryPalette[3]);
  EXPECT_EQ(read_memory_byte(*m, 0x5f63), 4);
}

TEST(Pal, ScreenEntriesKeepEightBitsAndAskForTheFlicker) {
  auto m = new_drawing_machine();
  m->extra_palette_flicker_requested = false;
  EXPECT_EQ(pal_set(*m, 1, 0x182, 1).previous, 1);
  EXPECT_EQ(read_memory_byte(*m, 0x5f11), 0x82);
  EXPECT_TRUE(m->extra_palette_flicker_requested);
}

TEST(Pal, TableFormChargesTwoCyclesAnEntry) {
  auto m = new_drawing_machine();
  std::vector<std::pair<int32_t, int32_t>> entries = {{1, 2}, {17, 3}, {5, 0x2e}};
  EXPECT_EQ(pal_table(*m, entries, 2), 6);
  EXPECT_EQ(read_memory_byte(*m, 0x5f61), 3);  // key 17 is colour 1, the later entry wins
  EXPECT_EQ(read_memory_byte(*m, 0x5f65), 0x2e);
  EXPECT_EQ(pal_table(*m, entries, std::nullopt), 6);
  EXPECT_EQ(read_memory_byte(*m, 0x5f05), 0x0e);
  EXPECT_EQ(pal_table(*m, entries, 7), 0);
}

TEST(Pal, ResetFormsRestoreTheChosenPalettes) {
  auto m = new_drawing_machine();
  auto change_all = [&] {
    pal_set(*m, 3, 4, 0);
    pal_set(*m, 3, 4, 1);
    pal_set(*m, 3, 4, 2);
  };
  change_all();
  pal_reset(*m, 1);
  EXPECT_EQ(read_memory_byte(*m, 0x5f03), 4);
  EXPECT_EQ(read_memory_byte(*m, 0x5f13), 3);
  EXPECT_EQ(read_memory_byte(*m, 0x5f63), 4);
  pal_reset(*m, 9);  // not a palette: nothing
  EXPECT_EQ(read_memory_byte(*m, 0x5f03), 4);
  pal_reset(*m, 0);
  EXPECT_EQ(read_memory_byte(*m, 0x5f03), 3);
  EXPECT_EQ(read_memory_byte(*m, 0x5f00), 0x10);
  for (std::optional<int32_t> all : {std::optional<int32_t>(-1), std::optional<int32_t>()}) {
    change_all();
    pal_reset(*m, all);
    EXPECT_EQ(read_memory_byte(*m, 0x5f03), 3);
    EXPECT_EQ(read_memory_byte(*m, 0x5f13), 3);
    EXPECT_EQ(read_memory_byte(*m, 0x5f63), kDefaultSecondaryPalette[3]);
  }
}

TEST(Palt, BitFieldPutsColourZeroInTheHighestBit) {
  auto m = new_drawing_machine();
  PaletteResult result = palt_bits(*m, 0x0003);
  EXPECT_EQ(result.previous, -32768);  // colour 0 transparent reads negative
  EXPECT_EQ(result.cycles, 2);
  EXPECT_EQ(read_memory_byte(*m, 0x5f00), 0x00);
  EXPECT_EQ(read_memory_byte(*m, 0x5f0e), 0x1e);
  EXPECT_EQ(read_memory_byte(*m, 0x5f0f), 0x1f);
  EXPECT_EQ(palt_bits(*m, 0x8000).previous, 3);
  for (int c = 1; c < 16; ++c) EXPECT_EQ(read_memory_byte(*m, 0x5f00 + c) & 0x10, 0) << c;
  EXPECT_TRUE(palt_set(*m, 0, false));  // it was transparent
  EXPECT_FALSE(palt_set(*m, 0, true));  // and palt(0, false) made it opaque
  EXPECT_FALSE(palt_set(*m, 0x17, true));
  EXPECT_EQ(palt_reset(*m), static_cast<int16_t>(0x8100));
  EXPECT_EQ(palt_bits(*m, 0).previous, -32768);
}

TEST(Clip, ReturnsThePreviousRectangleAsPositionAndSize) {
  auto m = new_drawing_machine();
  ClipResult previous = clip(*m, ClipArguments{10, 10, 20, 20, false});
  EXPECT_EQ(previous.previous_x, 0);
  EXPECT_EQ(previous.previous_w, 128);
  previous = clip(*m, ClipArguments{0, 0, 128, 128, true});
  EXPECT_EQ(previous.previous_x, 10);
  EXPECT_EQ(previous.previous_h, 20);
  // clip_previous kept the intersection.
  EXPECT_EQ(read_memory_byte(*m, 0x5f20), 10);
  EXPECT_EQ(read_memory_byte(*m, 0x5f21), 10);
  EXPECT_EQ(read_memory_byte(*m, 0x5f22), 30);
  EXPECT_EQ(read_memory_byte(*m, 0x5f23), 30);
  EXPECT_EQ(m->draw_target->clip_x1, 30);
}

TEST(Clip, EdgesAreClampedToTheScreen) {
  struct Case {
    int32_t x, y, w, h;
    bool previous;
    uint8_t x0, y0, x1, y1;
  };
  const Case cases[] = {
      {-5, -6, 300, 20, false, 0, 0, 128, 14},    {100, 120, 50, 50, false, 100, 120, 128, 128},
      {20, 20, -10, 5, false, 20, 20, 10, 25},     // crossed edges are kept: nothing is drawable
      {0x10000 + 3, 4, 5, 6, false, 3, 4, 8, 10},  // 16-bit arguments
      {-20, 15, 200, 100, true, 10, 15, 30, 30},   // inside the current (10, 10, 30, 30)
  };
  for (const Case& c : cases) {
    auto m = new_drawing_machine();
    clip(*m, ClipArguments{10, 10, 20, 20, false});
    clip(*m, ClipArguments{c.x, c.y, c.w, c.h, c.previous});
    EXPECT_EQ(read_memory_byte(*m, 0x5f20), c.x0) << c.x << "," << c.y;
    EXPECT_EQ(read_memory_byte(*m, 0x5f21), c.y0) << c.x << "," << c.y;
    EXPECT_EQ(read_memory_byte(*m, 0x5f22), c.x1) << c.x << "," << c.y;
    EXPECT_EQ(read_memory_byte(*m, 0x5f23), c.y1) << c.x << "," << c.y;
  }
  auto m = new_drawing_machine();
  clip(*m, ClipArguments{10, 10, 20, 20, false});
  clip(*m, std::nullopt);
  EXPECT_EQ(read_memory_byte(*m, 0x5f22), 128);
  EXPECT_EQ(m->draw_target->clip_x0, 0);
}

TEST(Camera, StoresSigned16BitValuesAndReturnsThePrevious) {
  auto m = new_drawing_machine();
  CameraResult previous = camera(*m, -1, 0);
  EXPECT_EQ(previous.previous_x, 0);
  EXPECT_EQ(read_memory_byte(*m, 0x5f28), 0xff);
  EXPECT_EQ(read_memory_byte(*m, 0x5f29), 0xff);
  previous = camera(*m, 0x12345, 7);
  EXPECT_EQ(previous.previous_x, -1);
  EXPECT_EQ(previous.previous_y, 0);
  EXPECT_EQ(camera(*m, 0, 0).previous_x, 0x2345);
}

TEST(Pget, ReadsInsideTheClipAndTheOutOfRangeValueOutside) {
  auto m = new_drawing_machine();
  m->draw_target->pixels[5 * 128 + 4] = 9;
  m->draw_target->pixels[20 * 128 + 20] = 3;
  EXPECT_EQ(pget(*m, 4, 5), 9);
  EXPECT_EQ(pget(*m, std::nullopt, 5), 0);
  EXPECT_EQ(pget(*m, 4, std::nullopt), 0);
  EXPECT_EQ(pget(*m, -1, 0), 0);
  camera(*m, 2, 3);
  EXPECT_EQ(pget(*m, 6, 8), 9);
  camera(*m, 0, 0);
  clip(*m, ClipArguments{0, 0, 10, 10, false});
  EXPECT_EQ(pget(*m, 20, 20), 0);
  write_memory_byte(*m, 0x5f5b, 12);
  EXPECT_EQ(pget(*m, -1, 0), 0);
  write_memory_byte(*m, 0x5f36, 0x10);
  EXPECT_EQ(pget(*m, -1, 0), 12);
  EXPECT_EQ(pget(*m, 0, 128), 12);
  EXPECT_EQ(pget(*m, 20, 20), 0);  // on the screen: the clip decides
}

TEST(Fillp, ReturnsThePreviousStateAsAFixedPointNumber) {
  auto m = new_drawing_machine();
  EXPECT_EQ(fillp(*m, 0x5a5a8000), 0);
  EXPECT_EQ(read_memory_byte(*m, 0x5f31), 0x5a);
  EXPECT_EQ(read_memory_byte(*m, 0x5f32), 0x5a);
  EXPECT_EQ(read_memory_byte(*m, 0x5f33), 0x01);
  EXPECT_EQ(fillp(*m, static_cast<int32_t>(0xf000e000u)), 0x5a5a8000);
  EXPECT_EQ(read_memory_byte(*m, 0x5f33), 0x07);
  // The secondary-palette flag is not returned; a high pattern reads negative.
  EXPECT_EQ(fillp(*m, std::nullopt), static_cast<int32_t>(0xf000c000u));
  EXPECT_EQ(m->registers.fill_pattern, 0u);
}

TEST(Color, ReturnsThePreviousPenAndDefaultsToSix) {
  auto m = new_drawing_machine();
  EXPECT_EQ(color(*m, fixed(12)), 6);
  EXPECT_EQ(read_memory_byte(*m, 0x5f25), 12);
  EXPECT_EQ(color(*m, fixed(0x1234)), 12);
  EXPECT_EQ(read_memory_byte(*m, 0x5f25), 0x34);
  EXPECT_EQ(color(*m, std::nullopt), 0x34);
  EXPECT_EQ(read_memory_byte(*m, 0x5f25), 6);
}

TEST(Cursor, SetsCursorAndHomeAndReturnsThePrevious) {
  auto m = new_drawing_machine();
  CursorResult previous = cursor(*m, 10, 20, fixed(9));
  EXPECT_EQ(previous.previous_x, 0);
  EXPECT_EQ(previous.previous_colour, 6);
  EXPECT_EQ(read_memory_byte(*m, 0x5f24), 10);
  EXPECT_EQ(read_memory_byte(*m, 0x5f26), 10);
  EXPECT_EQ(read_memory_byte(*m, 0x5f27), 20);
  previous = cursor(*m, 0, 0, std::nullopt);
  EXPECT_EQ(previous.previous_x, 10);
  EXPECT_EQ(previous.previous_y, 20);
  EXPECT_EQ(previous.previous_colour, 9);
  EXPECT_EQ(read_memory_byte(*m, 0x5f25), 9);
}

TEST(Cls, ClearsTheTargetAndResetsClipAndCursor) {
  auto m = new_drawing_machine();
  cursor(*m, 30, 40, std::nullopt);
  clip(*m, ClipArguments{1, 2, 3, 4, false});
  camera(*m, 5, 5);
  EXPECT_EQ(cls(*m, fixed(2)), 1024);
  EXPECT_EQ(read_memory_byte(*m, 0x5f24), 0);
  EXPECT_EQ(read_memory_byte(*m, 0x5f26), 0);
  EXPECT_EQ(read_memory_byte(*m, 0x5f27), 0);
  EXPECT_EQ(read_memory_byte(*m, 0x5f22), 128);
  EXPECT_EQ(read_memory_byte(*m, 0x5f28), 5);  // the camera stays
  EXPECT_EQ(read_memory_byte(*m, 0x6000), 0x22);
  EXPECT_EQ(read_memory_byte(*m, 0x7fff), 0x22);
}

TEST(Reset, RestoresTheDrawDefaultsAndKeepsTheCursor) {
  auto m = new_drawing_machine();
  cursor(*m, 30, 40, fixed(9));
  pal_set(*m, 1, 2, std::nullopt);
  fillp(*m, fixed(0x1234));
  camera(*m, 5, 6);
  write_memory_byte(*m, 0x5f5e, 0x11);
  EXPECT_EQ(reset(*m), 16);
  EXPECT_EQ(read_memory_byte(*m, 0x5f01), 1);
  EXPECT_EQ(read_memory_byte(*m, 0x5f25), 6);
  EXPECT_EQ(read_memory_byte(*m, 0x5f31), 0);
  EXPECT_EQ(read_memory_byte(*m, 0x5f28), 0);
  EXPECT_EQ(read_memory_byte(*m, 0x5f5e), 0xff);
  EXPECT_EQ(read_memory_byte(*m, 0x5f26), 30);
  EXPECT_EQ(read_memory_byte(*m, 0x5f27), 40);
}

}  // namespace
}  // namespace tamori::machine
