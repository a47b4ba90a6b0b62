// Map cells, sprite flags, sprite pixels, the sprite colour rule and the
// CPU charges of the sprite functions, read back through the public calls.
#include <gtest/gtest.h>

#include "draw_script.h"
#include "machine/map_functions.h"
#include "machine/memory.h"
#include "machine/sprite_functions.h"
#include "machine/tline_functions.h"

namespace tamori::machine::testing {
namespace {

constexpr int32_t fixed(int32_t whole) { return static_cast<int32_t>(static_cast<uint32_t>(whole) << 16); }

TEST(MapCells, ReadsOutsideTheMapGiveZeroOrTheConfiguredValue) {
  auto state = new_drawing_machine();
  mset(*state, 3, 4, 0x1ff);
  EXPECT_EQ(mget(*state, 3, 4), 0xff);
  EXPECT_EQ(mget(*state, -1, 0), 0);
  EXPECT_EQ(mget(*state, 128, 0), 0);
  EXPECT_EQ(mget(*state, 0, 64), 0);
  write_memory_byte(*state, 0x5f36, 0x10);
  write_memory_byte(*state, 0x5f5a, 7);
  EXPECT_EQ(mget(*state, -1, 0), 7);
  EXPECT_EQ(mget(*state, 3, 4), 0xff);
  mset(*state, -1, 0, 5);  // changes nothing
  EXPECT_EQ(mget(*state, 0, 0), 0);
}

TEST(MapCells, LowerMapRowsShareTheSpriteSheet) {
  auto state = new_drawing_machine();
  mset(*state, 0, 32, 0x21);
  EXPECT_EQ(sget(*state, 0, 64), 1);
  EXPECT_EQ(sget(*state, 1, 64), 2);
  sset(*state, 3, 64, fixed(9));
  EXPECT_EQ(mget(*state, 1, 32), 0x90);
}

TEST(MapCells, GeometryFollowsTheMapRegisters) {
  auto state = new_drawing_machine();
  write_memory_byte(*state, 0x5f57, 16);  // 16 cells a row
  mset(*state, 1, 1, 42);
  EXPECT_EQ(read_memory_byte(*state, 0x2000 + 17), 42);
  EXPECT_EQ(mget(*state, 16, 0), 0);
  write_memory_byte(*state, 0x5f56, 0x80);  // upper memory, 2048 rows of 16
  mset(*state, 2, 3, 9);
  EXPECT_EQ(read_memory_byte(*state, 0x8000 + 2 + 48), 9);
  EXPECT_EQ(mget(*state, 0, 2047), 0);
  EXPECT_EQ(mget(*state, 0, 2048), 0);
}

TEST(SpriteFlags, ByteAndBitForms) {
  auto state = new_drawing_machine();
  EXPECT_FALSE(fget_flag(*state, 2, 8));
  fset_byte(*state, 2, 0xb);
  EXPECT_TRUE(fget_flag(*state, 2, 3));
  EXPECT_FALSE(fget_flag(*state, 2, 2));
  EXPECT_EQ(fget_byte(*state, 2), 0xb);
  EXPECT_EQ(read_memory_byte(*state, 0x3002), 0xb);
  fset_flag(*state, 2, 0, false);
  fset_flag(*state, 2, 7, true);
  EXPECT_EQ(fget_byte(*state, 2), 0x8a);
  fset_flag(*state, 2, 8, true);
  fset_byte(*state, 256, 0xff);
  fset_flag(*state, -1, 0, true);
  EXPECT_EQ(fget_byte(*state, 2), 0x8a);
  EXPECT_EQ(fget_byte(*state, 256), 0);
  EXPECT_EQ(fget_byte(*state, -1), 0);
  EXPECT_FALSE(fget_flag(*state, 256, 0));
}

TEST(SpritePixels, SetAndGetWithinTheSheet) {
  auto state = new_drawing_machine();
  sset(*state, 1, 0, fixed(7));
  EXPECT_EQ(read_memory_byte(*state, 0) >> 4, 7);
  sset(*state, 0, 0, fixed(0x23));  // low nibble only
  EXPECT_EQ(read_memory_byte(*state, 0), 0x73);
  state->registers.pen_colour = 0x5c;
  sset(*state, 2, 0, std::nullopt);
  EXPECT_EQ(sget(*state, 2, 0), 12);
  sset(*state, 128, 0, fixed(1));
  sset(*state, -1, 0, fixed(1));
  EXPECT_EQ(sget(*state, 128, 0), 0);
  EXPECT_EQ(sget(*state, 0, -1), 0);
  write_memory_byte(*state, 0x5f36, 0x10);
  write_memory_byte(*state, 0x5f59, 4);
  EXPECT_EQ(sget(*state, 0, -1), 4);
  EXPECT_EQ(sget(*state, 1, 0), 7);
}

TEST(SpriteColourRule, SpritePatternSplitsTheSecondaryPaletteEntry) {
  auto state = new_drawing_machine();
  ASSERT_EQ(run_draw_command(*state, "sheet 8 0 3333"), "");
  write_memory_byte(*state, 0x5f63, 0x9a);  // secondary entry of colour 3
  // Pattern 0x5a5a (rows 0101 1010 ...) applying to sprites.
  ASSERT_EQ(run_draw_command(*state, "fillp 0x5a5a.4"), "");
  ASSERT_EQ(run_draw_command(*state, "spr 1 0 0"), "");
  EXPECT_EQ(draw_target_picture(*state, 0, 0, 4, 1)[0], "a9a9");
  // With a transparent pattern the pattern's set bits leave pixels alone.
  ASSERT_EQ(run_draw_command(*state, "cls"), "");
  ASSERT_EQ(run_draw_command(*state, "fillp 0x5a5a.c"), "");
  ASSERT_EQ(run_draw_command(*state, "spr 1 0 0"), "");
  EXPECT_EQ(draw_target_picture(*state, 0, 0, 4, 1)[0], "a.a.");
}

TEST(SpriteColourRule, BitplaneMasksApply) {
  auto state = new_drawing_machine();
  ASSERT_EQ(run_draw_command(*state, "sheet 8 0 ff"), "");
  ASSERT_EQ(run_draw_command(*state, "rectfill 0 0 1 0 8"), "");
  write_memory_byte(*state, 0x5f5e, 0xf3);  // write only bits 0 and 1
  ASSERT_EQ(run_draw_command(*state, "spr 1 0 0"), "");
  EXPECT_EQ(draw_target_picture(*state, 0, 0, 2, 1)[0], "bb");
}

TEST(SpriteCharges, ClippedAreaOrWholeSizePastTheEdges) {
  auto state = new_drawing_machine();
  EXPECT_EQ(spr(*state, 1, 0, 0, std::nullopt, std::nullopt, false, false), 64);
  EXPECT_EQ(spr(*state, 1, -4, 0, std::nullopt, std::nullopt, false, false), 32);
  EXPECT_EQ(spr(*state, 1, -8, 0, std::nullopt, std::nullopt, false, false), 0);
  EXPECT_EQ(spr(*state, 1, 128, 0, std::nullopt, std::nullopt, false, false), 64);
  EXPECT_EQ(spr(*state, 1, 0, 0, fixed(2), fixed(2), false, false), 256);
  EXPECT_EQ(sspr(*state, 0, 0, 8, 8, 124, 0, 16, 16, false, false), 64);
  EXPECT_EQ(sspr(*state, 0, 0, 8, 8, 0, 0, 0, 16, false, false), 0);
  EXPECT_EQ(sspr(*state, 0, 0, 0, 8, 0, 0, std::nullopt, std::nullopt, false, false), 0);
}

TEST(SpriteCharges, MapChargesOnlyTheTilesItDraws) {
  auto state = new_drawing_machine();
  mset(*state, 0, 0, 1);
  mset(*state, 1, 0, 1);
  EXPECT_EQ(map(*state, MapArguments{0, 0, 0, 0, 4, 4, 0}), 128);
  EXPECT_EQ(map(*state, MapArguments{0, 0, -4, 0, 4, 4, 0}), 96);
  // The whole map visits at most 17 x 17 tiles.
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 128; ++x) mset(*state, x, y, 1);
  EXPECT_EQ(map(*state, MapArguments{}), 16 * 16 * 64 + 16 * 64 + 16 * 64 + 64);
  EXPECT_EQ(map(*state, MapArguments{0, 0, 0, 0, 0, 4, 0}), 0);
}

TEST(TexturedLines, PrecisionAndCharges) {
  auto state = new_drawing_machine();
  EXPECT_EQ(tline_precision(*state, std::nullopt), 13);
  EXPECT_EQ(tline_precision(*state, 16), 13);
  EXPECT_EQ(tline_precision(*state, 0), 16);
  EXPECT_EQ(tline_precision(*state, std::nullopt), 13);
  TlineArguments line{-10, 5, 137, 5, 0, 0, std::nullopt, std::nullopt, 0};
  EXPECT_EQ(tline(*state, line), 2 * 128);
  line.y0 = line.y1 = 200;
  EXPECT_EQ(tline(*state, line), 0);
}

TEST(TexturedLines, WholePixelPrecisionAndLayers) {
  auto state = new_drawing_machine();
  ASSERT_EQ(run_draw_command(*state, "sheet 8 0 12345678"), "");
  ASSERT_EQ(run_draw_command(*state, "sheet 16 0 9abcdef1"), "");
  mset(*state, 0, 0, 1);
  mset(*state, 1, 0, 2);
  fset_byte(*state, 2, 4);
  tline_precision(*state, 0x10);  // map coordinates in whole pixels
  tline(*state, TlineArguments{0, 0, 15, 0, 0, 0, fixed(1), 0, 4});
  EXPECT_EQ(draw_target_picture(*state, 0, 0, 16, 1)[0], "........9abcdef1");
}

}  // namespace
}  // namespace tamori::machine::testing
