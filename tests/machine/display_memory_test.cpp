#include "machine/display_memory.h"

#include <gtest/gtest.h>

#include <memory>

#include "machine/memory.h"
#include "machine/memory_map.h"

namespace tamori::machine {
namespace {

class DisplayFromMemory : public ::testing::Test {
 protected:
  void SetUp() override {
    init_machine_state(*state);
    reset_memory_for_run(*state);
  }
  void poke(uint32_t address, uint32_t value) { write_memory_byte(*state, address, value); }
  std::unique_ptr<MachineState> state = std::make_unique<MachineState>();
};

TEST_F(DisplayFromMemory, StretchModeFillsTheScreenFromTheTopLeftQuarter) {
  poke(0x6000, 0x08);  // pixel (0, 0) colour 8
  poke(0x5f2c, 0x43);  // both stretches, 0x40 ignored
  Picture picture;
  compose_program_picture(*state, 0, picture);
  EXPECT_EQ(picture[0], 8);
  EXPECT_EQ(picture[1], 8);
  EXPECT_EQ(picture[128], 8);
  EXPECT_EQ(picture[129], 8);
  EXPECT_EQ(picture[2], 0);
}

TEST_F(DisplayFromMemory, ScreenPaletteAndScanlineRegistersApply) {
  for (uint32_t a = 0x6000; a < 0x6000 + 64 * 8; a++) poke(a, 0x11);  // rows 0..7 colour 1
  poke(0x5f11, 0x81);                                                  // colour 1 shows extra colour 1
  poke(0x5f5f, 0x10);
  poke(0x5f61, 12);
  poke(0x5f70, 1);
  Picture picture;
  EXPECT_TRUE(compose_program_picture(*state, 0, picture));
  EXPECT_EQ(picture[0], 12);          // row 0 through the secondary palette
  EXPECT_EQ(picture[128], 0x81);      // row 1 through the screen palette
  EXPECT_TRUE(state->extra_palette_flicker_requested);
}

TEST_F(DisplayFromMemory, SpriteSheetIsTheScreenWhenTheDrawTargetIsZero) {
  poke(0x0000, 0x03);
  poke(0x5f55, 0x00);
  Picture picture;
  compose_program_picture(*state, 0, picture);
  EXPECT_EQ(picture[0], 3);
}

TEST_F(DisplayFromMemory, ExtraDisplaysFillTheirCellsWhenEnabled) {
  BackPage page;
  back_page_resize(page, 256, 256);
  EXPECT_EQ(display_count(page, false), 4);
  EXPECT_EQ(display_count(page, true), 1);
  state->display_pages[1].pixels[0] = 5;
  state->display_pages[3].pixels[0] = 9;
  // Without bit 0x01 of 0x5f36 the other displays are cleared.
  compose_extra_displays(*state, page, false);
  EXPECT_EQ(state->display_pages[1].pixels[0], 0);
  EXPECT_EQ(page.pixels[128], 0);
  state->display_pages[1].pixels[0] = 5;
  state->display_pages[3].pixels[0] = 9;
  poke(0x5f36, 0x01);
  compose_extra_displays(*state, page, false);
  EXPECT_EQ(page.pixels[128], 5);                      // cell 1 at (128, 0)
  EXPECT_EQ(page.pixels[size_t(128) * 256 + 128], 9);  // cell 3 at (128, 128)
}

}  // namespace
}  // namespace tamori::machine
