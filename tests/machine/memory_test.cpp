// Single-byte access, registers, video blocks, map geometry and resets.
#include "machine/memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "machine/memory_map.h"

namespace tamori::machine {
namespace {

std::unique_ptr<MachineState> new_machine() {
  auto state = std::make_unique<MachineState>();
  init_machine_state(*state);
  return state;
}

uint8_t pixel(const PixelPage& page, int x, int y) { return page.pixels[y * kPixelPageSize + x]; }

TEST(MemoryMap, StartFormatsFollowTheLayout) {
  auto m = new_machine();
  struct Range {
    int first, last;
    uint8_t code;
  };
  const Range ranges[] = {{0x00, 0x1f, 1}, {0x20, 0x2f, 8}, {0x30, 0x42, 0}, {0x43, 0x5d, 9},
                          {0x5e, 0x5f, 0}, {0x60, 0x7f, 2}, {0x80, 0xff, 10}};
  for (const Range& r : ranges)
    for (int page = r.first; page <= r.last; ++page) EXPECT_EQ(m->mem_section[page], r.code) << std::hex << page;
}

TEST(MemoryMap, SharedAreaWritesSpritePixelsAndMapCell) {
  auto m = new_machine();
  write_memory_byte(*m, 0x1000, 0x21);
  EXPECT_EQ(pixel(m->sprite_sheet, 0, 64), 1);
  EXPECT_EQ(pixel(m->sprite_sheet, 1, 64), 2);
  EXPECT_EQ(read_map_cell(*m, 0, 32), 0x21);
  EXPECT_EQ(read_memory_byte(*m, 0x1000), 0x21);
  // Rows 0..31 of the map are at 0x2000.
  write_memory_byte(*m, 0x2000 + 128 * 3 + 5, 0x77);
  EXPECT_EQ(read_map_cell(*m, 5, 3), 0x77);
}

TEST(MemoryMap, AddressesWrap) {
  auto m = new_machine();
  write_memory_byte(*m, 0xffff, 0x5a);
  EXPECT_EQ(read_memory_byte(*m, static_cast<uint32_t>(-1)), 0x5a);
  write_memory_byte(*m, 0x10000, 5);
  EXPECT_EQ(read_memory_byte(*m, 0), 5);
  write_memory_byte(*m, 0x4400, 0x1234);  // only the low byte counts
  EXPECT_EQ(read_memory_byte(*m, 0x4400), 0x34);
}

TEST(MemoryMap, RecordRegionsReadBackTheirBytes) {
  auto m = new_machine();
  write_memory_byte(*m, 0x3000 + 17, 0xa5);
  EXPECT_EQ(m->sprite_flags[17], 0xa5);
  write_memory_byte(*m, 0x3100 + 4 * 2 + 1, 0x85);  // pattern 2, track 1 = 5 with flag 1
  EXPECT_EQ(m->music_patterns[2].tracks[1], 5);
  EXPECT_EQ(m->music_patterns[2].flags, 0x02);
  EXPECT_EQ(read_memory_byte(*m, 0x3100 + 9), 0x85);
  EXPECT_EQ(read_memory_byte(*m, 0x3100), 0x41);
  write_memory_byte(*m, 0x3200 + 68 * 3 + 65, 7);  // speed of effect 3
  EXPECT_EQ(m->sound_effects[3].speed, 7);
  write_memory_byte(*m, 0x3200 + 68 * 63 + 1, 0x0e);  // note 0 of effect 63, volume 7
  EXPECT_EQ(m->sound_effects[63].notes[0].volume, 7);
  EXPECT_EQ(read_memory_byte(*m, 0x3200 + 68 * 63 + 1), 0x0e);
  EXPECT_EQ(read_memory_byte(*m, 0x3200 + 65), 1);  // new effect 0 has speed 1
}

TEST(MemoryMap, PersistentWordsTrackChanges) {
  auto m = new_machine();
  write_memory_byte(*m, 0x5e05, 0);
  EXPECT_FALSE(m->persistent_data_dirty);
  write_memory_byte(*m, 0x5e05, 0x12);
  EXPECT_EQ(m->persistent_data[1], 0x1200u);
  EXPECT_TRUE(m->persistent_data_dirty);
  EXPECT_EQ(read_memory_byte(*m, 0x5e05), 0x12);
}

TEST(MemoryMap, ResetTransitionDropsGeneralAndPersistentWrites) {
  auto m = new_machine();
  m->reset_transition_in_progress = true;
  write_memory_byte(*m, 0x4300, 9);
  write_memory_byte(*m, 0x5eff, 9);
  write_memory_byte(*m, 0x5f80, 9);
  write_memory_byte(*m, 0x42ff, 9);
  EXPECT_EQ(read_memory_byte(*m, 0x4300), 0);
  EXPECT_EQ(read_memory_byte(*m, 0x5eff), 0);
  EXPECT_EQ(read_memory_byte(*m, 0x5f80), 9);
  EXPECT_EQ(read_memory_byte(*m, 0x42ff), 9);
}

TEST(MemoryRegisters, PlainRegistersReadBackWhatWasWritten) {
  auto m = new_machine();
  // Registers whose byte is stored whole in their own integer, or in the shadow.
  const int addresses[] = {0x5f00, 0x5f0f, 0x5f10, 0x5f24, 0x5f25, 0x5f26, 0x5f27, 0x5f28, 0x5f29, 0x5f2c,
                           0x5f2d, 0x5f2e, 0x5f31, 0x5f32, 0x5f33, 0x5f34, 0x5f35, 0x5f36, 0x5f37, 0x5f3c,
                           0x5f3f, 0x5f40, 0x5f43, 0x5f44, 0x5f4b, 0x5f58, 0x5f5e, 0x5f5f, 0x5f60, 0x5f7f};
  for (int address : addresses) {
    write_memory_byte(*m, address, 0xc3);
    EXPECT_EQ(read_memory_byte(*m, address), 0xc3) << std::hex << address;
  }
}

TEST(MemoryRegisters, RegistersFeedTheirIntegers) {
  auto m = new_machine();
  EXPECT_EQ(read_memory_byte(*m, 0x5f25), 6);
  write_memory_byte(*m, 0x5f25, 0x8c);
  EXPECT_EQ(m->registers.pen_colour, 0x8c);
  write_memory_byte(*m, 0x5f28, 0xff);
  write_memory_byte(*m, 0x5f29, 0xff);
  EXPECT_EQ(m->registers.camera_x, -1);
  write_memory_byte(*m, 0x5f3e, 0x00);
  write_memory_byte(*m, 0x5f3f, 0x80);
  EXPECT_EQ(m->registers.line_end_y, -32768);
  write_memory_byte(*m, 0x5f33, 0x05);
  write_memory_byte(*m, 0x5f32, 0x5a);
  EXPECT_EQ(m->registers.fill_pattern, 0x55a00u);
  write_memory_byte(*m, 0x5f5e, 0x3c);
  EXPECT_EQ(m->registers.write_mask, 0xc);
  EXPECT_EQ(m->registers.read_mask, 0x3);
  write_memory_byte(*m, 0x5f45, 0xab);
  EXPECT_EQ(m->random_state[0] & 0xff00u, 0xab00u);
}

TEST(MemoryRegisters, ButtonBytesAreLive) {
  auto m = new_machine();
  m->button_bits[0] = 0x13;
  EXPECT_EQ(read_memory_byte(*m, 0x5f4c), 0x13);
  m->button_bits[3] = 0xc0;
  write_memory_byte(*m, 0x5f4f, 0xff);  // only buttons 0..5 are set by a write
  EXPECT_EQ(m->button_bits[3], 0xff);
  write_memory_byte(*m, 0x5f4f, 0x01);
  EXPECT_EQ(m->button_bits[3], 0xc1);
  EXPECT_EQ(m->buttons_written_mask, 0x08);
}

TEST(MemoryRegisters, ScreenPaletteAbove127RequestsFlicker) {
  auto m = new_machine();
  write_memory_byte(*m, 0x5f11, 0x7f);
  EXPECT_FALSE(m->extra_palette_flicker_requested);
  write_memory_byte(*m, 0x5f11, 0x81);
  EXPECT_TRUE(m->extra_palette_flicker_requested);
}

TEST(MemoryRegisters, ClipRegistersClipTheDrawTarget) {
  auto m = new_machine();
  write_memory_byte(*m, 0x5f20, 10);
  write_memory_byte(*m, 0x5f23, 200);
  const PixelPage& target = *m->draw_target;
  EXPECT_EQ(target.clip_x0, 10);
  EXPECT_EQ(target.clip_y1, 128);
  EXPECT_EQ(read_memory_byte(*m, 0x5f23), 200);
  // A new draw target receives the same clip.
  write_memory_byte(*m, 0x5f55, 0x00);
  EXPECT_EQ(m->draw_target, &m->sprite_sheet);
  EXPECT_EQ(m->sprite_sheet.clip_x0, 10);
}

TEST(MemoryRegisters, MappingsSelectPages) {
  auto m = new_machine();
  write_memory_byte(*m, 0x5f54, 0x60);
  EXPECT_EQ(m->sprite_source, &m->display_pages[0]);
  write_memory_byte(*m, 0x6000, 0x12);
  EXPECT_EQ(read_memory_byte(*m, 0x0000), 0x12);  // sprite memory now shows the screen
  write_memory_byte(*m, 0x5f54, 0x33);
  EXPECT_EQ(m->sprite_source, &m->sprite_sheet);
  set_draw_display(*m, 2);
  EXPECT_EQ(m->draw_target, &m->display_pages[2]);
  set_draw_display(*m, 9);
  EXPECT_EQ(m->current_display, 3);
}

TEST(VideoBlocks, SelectingABlockUnpacksItsBytes) {
  auto m = new_machine();
  write_memory_byte(*m, 0xa000, 0x3c);
  write_memory_byte(*m, 0x5f55, 0xa0);
  EXPECT_TRUE(m->upper_block_in_video_use[1]);
  EXPECT_EQ(m->draw_target, &m->upper_video_pages[1]);
  EXPECT_EQ(m->pending_cpu_cycles, 1024);
  for (int page = 0xa0; page <= 0xbf; ++page) EXPECT_EQ(m->mem_section[page], 5);
  EXPECT_EQ(m->mem_section[0x9f], 10);
  EXPECT_EQ(pixel(m->upper_video_pages[1], 0, 0), 12);
  EXPECT_EQ(pixel(m->upper_video_pages[1], 1, 0), 3);
  // The screen address range now draws into the block too.
  write_memory_byte(*m, 0x6001, 0x45);
  EXPECT_EQ(read_memory_byte(*m, 0xa001), 0x45);
  // Later writes to the mapping do not switch it off.
  write_memory_byte(*m, 0x5f55, 0x60);
  EXPECT_TRUE(m->upper_block_in_video_use[1]);
  EXPECT_EQ(m->draw_target, &m->display_pages[0]);
}

TEST(VideoBlocks, PokeInABlockInVideoUseSetsItsPixels) {
  auto m = new_machine();
  ASSERT_TRUE(set_high_vidmem_mode(*m, 0, true));
  write_memory_byte(*m, 0x8000, 0x3c);
  EXPECT_EQ(pixel(m->upper_video_pages[0], 0, 0), 12);
  EXPECT_EQ(pixel(m->upper_video_pages[0], 1, 0), 3);
  EXPECT_EQ(read_memory_byte(*m, 0x8000), 0x3c);
  // Switching off packs the pixels back into the plain bytes.
  m->upper_video_pages[0].pixels[2] = 9;
  ASSERT_TRUE(set_high_vidmem_mode(*m, 0, false));
  EXPECT_EQ(read_memory_byte(*m, 0x8001), 0x09);
  EXPECT_EQ(m->mem_section[0x80], 10);
}

TEST(VideoBlocks, TheMapInUpperMemoryKeepsBlocksOff) {
  auto m = new_machine();
  ASSERT_TRUE(set_high_vidmem_mode(*m, 1, true));
  m->upper_video_pages[1].pixels[0] = 7;
  write_memory_byte(*m, 0x5f56, 0xc0);  // map 0xc000..0xffff: blocks 2 and 3
  EXPECT_TRUE(m->upper_block_in_video_use[1]);
  EXPECT_FALSE(set_high_vidmem_mode(*m, 2, true));
  write_memory_byte(*m, 0x5f55, 0xe0);
  EXPECT_FALSE(m->upper_block_in_video_use[3]);
  EXPECT_EQ(m->draw_target, &m->display_pages[0]);
  // Moving the map onto block 1 forces it off, keeping its pixels as bytes.
  write_memory_byte(*m, 0x5f56, 0xa0);
  EXPECT_FALSE(m->upper_block_in_video_use[1]);
  EXPECT_EQ(read_memory_byte(*m, 0xa000), 7);
}

TEST(MapGeometry, StartAndWidthRegisters) {
  struct Case {
    uint8_t start, width;
    bool upper;
    int cells_wide, rows;
    int32_t cell_0_0, cell_1_1;
  };
  const Case cases[] = {
      {0x20, 0x80, false, 128, 64, 0x2000, 0x2081},
      {0x28, 0x80, false, 128, 48, 0x2800, 0x2881},
      {0x20, 0x00, false, 256, 32, 0x2000, 0x2101},
      {0x20, 0x40, false, 64, 128, 0x2000, 0x2041},
      {0x10, 0x80, false, 128, 32, 0x1000, 0x1081},
      {0x38, 0x80, false, 128, 16, 0x1800, 0x1881},
      {0x05, 0x80, false, 128, 64, 0x2000, 0x2081},
      {0x80, 0x80, true, 128, 256, 0x8000, 0x8081},
      {0xf0, 0x10, true, 16, 256, 0xf000, 0xf011},
  };
  for (const Case& c : cases) {
    auto m = new_machine();
    write_memory_byte(*m, 0x5f56, c.start);
    write_memory_byte(*m, 0x5f57, c.width);
    SCOPED_TRACE(testing::Message() << std::hex << int(c.start) << " " << int(c.width));
    EXPECT_EQ(m->map.in_upper_memory, c.upper);
    EXPECT_EQ(m->map.width, c.cells_wide);
    EXPECT_EQ(m->map.height, c.rows);
    EXPECT_EQ(map_cell_address(*m, 0, 0), c.cell_0_0);
    EXPECT_EQ(map_cell_address(*m, 1, 1), c.cell_1_1);
    EXPECT_EQ(map_cell_address(*m, c.cells_wide, 0), -1);
    EXPECT_EQ(map_cell_address(*m, 0, c.rows), -1);
  }
}

TEST(MapGeometry, DefaultMapRowsContinueInTheSharedArea) {
  auto m = new_machine();
  EXPECT_EQ(map_cell_address(*m, 3, 31), 0x2000 + 31 * 128 + 3);
  EXPECT_EQ(map_cell_address(*m, 3, 32), 0x1003);
  EXPECT_EQ(map_cell_address(*m, 127, 63), 0x1fff);
  write_map_cell(*m, 2, 40, 0xee);
  EXPECT_EQ(read_memory_byte(*m, 0x1000 + 8 * 128 + 2), 0xee);
  EXPECT_EQ(pixel(m->sprite_sheet, 4, 64 + 16), 0xe);
}

TEST(MemoryReset, RunStartResetsDrawStateAndKeepsSeeds) {
  auto m = new_machine();
  for (uint32_t a = 0x5f00; a < 0x5f80; ++a) write_memory_byte(*m, a, 0x9b);
  m->button_bits[0] = 0x21;
  write_memory_byte(*m, 0x5f56, 0x20);  // map back below upper memory
  write_memory_byte(*m, 0x5f54, 0x80);
  ASSERT_TRUE(m->upper_block_in_video_use[0]);
  reset_memory_for_run(*m);

  EXPECT_FALSE(m->upper_block_in_video_use[0]);
  EXPECT_EQ(m->mem_section[0x80], 10);
  EXPECT_EQ(m->draw_target, &m->display_pages[0]);
  EXPECT_EQ(m->sprite_source, &m->sprite_sheet);
  struct Expected {
    uint32_t address;
    uint8_t value;
  };
  const Expected expected[] = {
      {0x5f00, 0x10}, {0x5f01, 1},    {0x5f0f, 15},   {0x5f10, 0},    {0x5f1f, 15},   {0x5f20, 0},
      {0x5f22, 128},  {0x5f23, 128},  {0x5f24, 0},    {0x5f25, 6},    {0x5f26, 0x9b}, {0x5f27, 0x9b},
      {0x5f28, 0},    {0x5f2b, 0},    {0x5f2c, 0},    {0x5f2e, 0},    {0x5f31, 0},    {0x5f33, 0},
      {0x5f35, 0},    {0x5f36, 0},    {0x5f37, 0x9b}, {0x5f3c, 0},    {0x5f40, 0},    {0x5f44, 0x9b},
      {0x5f4b, 0x9b}, {0x5f4c, 0x21}, {0x5f54, 0x00}, {0x5f55, 0x60}, {0x5f56, 0x20}, {0x5f57, 0x80},
      {0x5f5e, 0xff}, {0x5f5f, 0},    {0x5f60, 0x00}, {0x5f66, 0xd6}, {0x5f6f, 0xef}, {0x5f70, 0},
  };
  for (const Expected& e : expected) EXPECT_EQ(read_memory_byte(*m, e.address), e.value) << std::hex << e.address;
}

TEST(MemoryReset, StopResetsWhatTheKeepFlagsDoNotKeep) {
  struct Case {
    uint8_t keep;
    uint32_t address;
    uint8_t value_if_reset;
    bool reset;
  };
  const Case cases[] = {
      {0x00, 0x5f13, 3, true},     {0x01, 0x5f13, 3, false},   {0x00, 0x5f5f, 0, true},
      {0x02, 0x5f5f, 0, false},    {0x00, 0x5f42, 0, true},    {0x04, 0x5f42, 0, false},
      {0x00, 0x5f5e, 0xff, true},  {0x08, 0x5f5e, 0xff, false}, {0x00, 0x5f58, 0, true},
      {0x10, 0x5f5a, 0, false},    {0x00, 0x5f32, 0, true},    {0x20, 0x5f32, 0, false},
      {0x00, 0x5f25, 6, true},     {0x40, 0x5f25, 6, false},   {0x00, 0x5f55, 0x60, true},
      {0x80, 0x5f54, 0, false},    {0xff, 0x5f28, 0, true},    {0xff, 0x5f22, 128, true},
      {0xff, 0x5f24, 0, true},     {0xff, 0x5f26, 0, true},    {0xff, 0x5f27, 122, true},
      {0xff, 0x5f00, 0x10, false},
  };
  for (const Case& c : cases) {
    auto m = new_machine();
    for (uint32_t a = 0x5f00; a < 0x5f80; ++a)
      if (a != 0x5f2e && a != 0x5f36) write_memory_byte(*m, a, 0xcd);
    write_memory_byte(*m, 0x5f2e, c.keep);
    reset_memory_on_stop(*m);
    uint8_t expected = c.reset ? c.value_if_reset : 0xcd;
    EXPECT_EQ(read_memory_byte(*m, c.address), expected) << std::hex << "keep " << int(c.keep) << " at " << c.address;
  }
}

TEST(MemoryReset, OutOfRangeValuesSurviveStopWhenEnabled) {
  auto m = new_machine();
  write_memory_byte(*m, 0x5f36, 0x10);
  write_memory_byte(*m, 0x5f58, 0x44);
  write_memory_byte(*m, 0x5f5b, 0x44);
  write_memory_byte(*m, 0x5f27, 20);
  reset_memory_on_stop(*m);
  EXPECT_EQ(read_memory_byte(*m, 0x5f58), 0);
  EXPECT_EQ(read_memory_byte(*m, 0x5f5b), 0x44);
  EXPECT_EQ(read_memory_byte(*m, 0x5f27), 20);
}

TEST(RomImage, ReadsAboveTheImageAreZeroAndWritesIgnored) {
  uint8_t rom[kCartridgeRomSize] = {};
  write_rom_image_byte(rom, 0x42ff, 0x1ab);
  write_rom_image_byte(rom, 0x4300, 7);
  EXPECT_EQ(read_rom_image_byte(rom, 0x42ff), 0xab);
  EXPECT_EQ(read_rom_image_byte(rom, 0x4300), 0);
  EXPECT_EQ(read_rom_image_byte(rom, 0x142ff), 0xab);

  auto m = new_machine();
  for (uint32_t a = 0; a < kCartridgeRomSize; ++a) rom[a] = static_cast<uint8_t>(a * 7 + (a >> 8));
  load_rom_image_into_memory(*m, rom);
  uint8_t copied[kCartridgeRomSize];
  copy_memory_to_rom_image(*m, copied);
  EXPECT_EQ(0, memcmp(rom, copied, sizeof rom));
}

}  // namespace
}  // namespace tamori::machine
