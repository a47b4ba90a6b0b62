// peek, poke, memcpy and memset through their page paths.
#include "machine/memory_functions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "machine/memory.h"
#include "machine/memory_map.h"

namespace tamori::machine {
namespace {

std::unique_ptr<MachineState> new_machine() {
  auto state = std::make_unique<MachineState>();
  init_machine_state(*state);
  return state;
}

void fill_screen_with_row_numbers(MachineState& m) {
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) m.display_pages[0].pixels[y * 128 + x] = static_cast<uint8_t>((y + x / 16) & 15);
}

TEST(MemoryCopy, ScrollingTheScreenUpAndDownDoesNotSmear) {
  auto m = new_machine();
  fill_screen_with_row_numbers(*m);
  PixelPage before = m->display_pages[0];
  memory_copy(*m, 0x6000, 0x6040, 0x1fc0);
  for (int y = 0; y < 127; ++y)
    for (int x = 0; x < 128; ++x)
      ASSERT_EQ(m->display_pages[0].pixels[y * 128 + x], before.pixels[(y + 1) * 128 + x]) << x << "," << y;

  m->display_pages[0] = before;
  memory_copy(*m, 0x6040, 0x6000, 0x1fc0);
  for (int y = 1; y < 128; ++y)
    for (int x = 0; x < 128; ++x)
      ASSERT_EQ(m->display_pages[0].pixels[y * 128 + x], before.pixels[(y - 1) * 128 + x]) << x << "," << y;
  for (int x = 0; x < 128; ++x) ASSERT_EQ(m->display_pages[0].pixels[x], before.pixels[x]);
}

TEST(MemoryCopy, SpritesCopiedToUpperMemoryReadTheSame) {
  auto m = new_machine();
  for (int i = 0; i < 512; ++i) m->sprite_sheet.pixels[i] = static_cast<uint8_t>(i * 5 % 16);
  memory_copy(*m, 0x8000, 0x0000, 256);
  for (uint32_t i = 0; i < 256; ++i) ASSERT_EQ(read_memory_byte(*m, 0x8000 + i), read_memory_byte(*m, i)) << i;
  // and back into the map grid's shared half
  memory_copy(*m, 0x1000, 0x8000, 256);
  for (uint32_t i = 0; i < 256; ++i) ASSERT_EQ(m->map_grid[4096 + i], read_memory_byte(*m, i)) << i;
}

TEST(MemoryCopy, OverlapWrappingPastTheTopCopiesAsThroughABuffer) {
  auto m = new_machine();
  std::vector<uint8_t> expected(0x100);
  for (uint32_t i = 0; i < 0x100; ++i) {
    write_memory_byte(*m, 0x8000 + i, i);
    expected[i] = static_cast<uint8_t>(i);
  }
  memory_copy(*m, 0x7ff0, 0x8000, 0x100);  // overlap across the screen's end, dest below
  for (uint32_t i = 0; i < 0x100; ++i) ASSERT_EQ(read_memory_byte(*m, 0x7ff0 + i), expected[i]) << i;

  // dest 0xfff0 wraps to 0x0000 and runs into src 0x0000..0x00ff.
  for (uint32_t i = 0; i < 0x100; ++i) write_memory_byte(*m, i, i);
  memory_copy(*m, 0xfff0, 0x0000, 0x100);
  for (uint32_t i = 0; i < 0x100; ++i) ASSERT_EQ(read_memory_byte(*m, 0xfff0 + i), expected[i]) << i;
}

TEST(MemoryCopy, CostsAQuarterCyclePerByte) {
  auto m = new_machine();
  struct Case {
    int32_t len;
    int64_t cycles;
  };
  const Case cases[] = {{0, 0}, {-5, 0}, {2, 0}, {3, 1}, {7, 2}, {0x2000, 0x800}, {0x10003, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(memory_copy(*m, 0x4300, 0x4400, c.len), c.cycles) << c.len;
    EXPECT_EQ(memory_set(*m, 0x4300, 1, c.len), c.cycles) << c.len;
  }
  // Switching a video block on inside a copy is charged too.
  EXPECT_EQ(memory_set(*m, 0x5f55, 0x80, 1), 1024);
}

TEST(MemorySet, FillsPixelsMapAndPlainBytes) {
  auto m = new_machine();
  memory_set(*m, 0x6000, 0x7c, 0x2000);
  for (int i = 0; i < kPixelPageBytes; ++i) ASSERT_EQ(m->display_pages[0].pixels[i], (i & 1) ? 7 : 12);
  memory_set(*m, 0x0ff0, 0xab, 0x20);
  EXPECT_EQ(read_map_cell(*m, 0, 32), 0xab);
  EXPECT_EQ(read_map_cell(*m, 15, 32), 0xab);
  EXPECT_EQ(read_map_cell(*m, 16, 32), 0);
  EXPECT_EQ(m->sprite_sheet.pixels[63 * 128 + 127], 0xa);
  memory_set(*m, 0x5f00, 0x05, 0x10);  // through the registers
  EXPECT_EQ(m->registers.draw_palette[0], 5);
  memory_set(*m, 0xffff, 0x11, 2);  // wraps to 0x0000
  EXPECT_EQ(read_memory_byte(*m, 0xffff), 0x11);
  EXPECT_EQ(read_memory_byte(*m, 0x0000), 0x11);
}

TEST(Peek, ValuesOfEachWidth) {
  auto m = new_machine();
  for (int i = 0; i < 4; ++i) m->display_pages[0].pixels[i] = 15;
  EXPECT_EQ(peek_value(*m, MemoryValueWidth::Word, 0x6000), -1);
  write_memory_byte(*m, 0x4300, 0x00);
  write_memory_byte(*m, 0x4301, 0x80);
  write_memory_byte(*m, 0x4302, 0x01);
  write_memory_byte(*m, 0x4303, 0x00);
  EXPECT_EQ(peek_value(*m, MemoryValueWidth::Long, 0x4300), 0x18000);  // 1.5 as a raw number
  EXPECT_EQ(peek_value(*m, MemoryValueWidth::Word, 0x4300), -32768);
  write_memory_byte(*m, 0xffff, 0x42);
  write_memory_byte(*m, 0x0000, 0x0f);
  EXPECT_EQ(peek_value(*m, MemoryValueWidth::Byte, -1), 0x42);
  EXPECT_EQ(peek_value(*m, MemoryValueWidth::Word, 0xffff), 0x0f42);  // wraps into sprite byte 0

  int32_t results[3];
  peek_values(*m, MemoryValueWidth::Word, 0x4300, 3, results);
  EXPECT_EQ(results[0], -32768);
  EXPECT_EQ(results[1], 1);
  EXPECT_EQ(results[2], 0);
}

TEST(Peek, CyclesByArgumentsAndCount) {
  EXPECT_EQ(peek_cycles(0, 1), 0);
  EXPECT_EQ(peek_cycles(1, 1), 2);
  EXPECT_EQ(peek_cycles(2, 10), 11);
  EXPECT_EQ(peek_cycles(2, 0), 2);
  EXPECT_EQ(poke_cycles(0), 0);
  EXPECT_EQ(poke_cycles(1), 0);
  EXPECT_EQ(poke_cycles(2), 2);
  EXPECT_EQ(poke_cycles(5), 5);
}

TEST(Poke, WritesLowBytesFirstAndWraps) {
  auto m = new_machine();
  const int32_t words[] = {0x1234, -2};
  poke_values(*m, MemoryValueWidth::Word, 0x4300, words, 2);
  EXPECT_EQ(read_memory_byte(*m, 0x4300), 0x34);
  EXPECT_EQ(read_memory_byte(*m, 0x4301), 0x12);
  EXPECT_EQ(read_memory_byte(*m, 0x4302), 0xfe);
  EXPECT_EQ(read_memory_byte(*m, 0x4303), 0xff);
  const int32_t five[] = {5};
  poke_values(*m, MemoryValueWidth::Byte, 0x10000, five, 1);
  EXPECT_EQ(read_memory_byte(*m, 0), 5);
  const int32_t raw[] = {static_cast<int32_t>(0xdeadbeef)};
  poke_values(*m, MemoryValueWidth::Long, 0xfffe, raw, 1);
  EXPECT_EQ(read_memory_byte(*m, 0xfffe), 0xef);
  EXPECT_EQ(read_memory_byte(*m, 0xffff), 0xbe);
  EXPECT_EQ(read_memory_byte(*m, 0x0000), 0xad);
  EXPECT_EQ(read_memory_byte(*m, 0x0001), 0xde);
}

TEST(Poke, ScreenValuesGoIntoTheDrawTarget) {
  auto m = new_machine();
  const int32_t raw[] = {0x76543210, static_cast<int32_t>(0xfedcba98)};
  poke_values(*m, MemoryValueWidth::Long, 0x7ff8, raw, 2);
  const uint8_t* row = m->display_pages[0].pixels + 127 * 128 + 112;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(row[i], i);
  // A value straddling the screen's end goes byte by byte into upper memory.
  const int32_t straddle[] = {0x2211};
  poke_values(*m, MemoryValueWidth::Word, 0x7fff, straddle, 1);
  EXPECT_EQ(read_memory_byte(*m, 0x7fff), 0x11);
  EXPECT_EQ(read_memory_byte(*m, 0x8000), 0x22);
  // With block 2 as draw target the screen addresses land in its page.
  write_memory_byte(*m, 0x5f55, 0xc0);
  const int32_t value[] = {0x3c};
  poke_values(*m, MemoryValueWidth::Byte, 0x6000, value, 1);
  EXPECT_EQ(read_memory_byte(*m, 0xc000), 0x3c);
}

TEST(Poke, CapsTheNumberOfValues) {
  auto m = new_machine();
  std::vector<int32_t> values(40000, 1);
  poke_values(*m, MemoryValueWidth::Byte, 0x8000, values.data(), static_cast<int32_t>(values.size()));
  EXPECT_EQ(read_memory_byte(*m, 0x8000 + kMaxPokeValues - 1), 1);
  EXPECT_EQ(read_memory_byte(*m, 0x8000 + kMaxPokeValues), 0);
}

// Compares the page paths of memcpy/memset with the byte-by-byte reference
// over random ranges, with random upper blocks in video use and a random
// display selected.
class MemoryPathProperty : public testing::Test {
 protected:
  static void randomise(MachineState& m, std::mt19937& random) {
    for (uint32_t a = 0; a < 0x10000; ++a) {
      if (a >= 0x5f00 && a < 0x5f80) continue;
      write_memory_byte(m, a, random());
    }
    for (int block = 0; block < 4; ++block)
      if (random() % 2) set_high_vidmem_mode(m, block, true);
    set_draw_display(m, static_cast<int>(random() % 4));
    m.pending_cpu_cycles = 0;
  }

  static void expect_same(const MachineState& a, const MachineState& b, int round) {
    for (uint32_t address = 0; address < 0x10000; ++address)
      ASSERT_EQ(read_memory_byte(a, address), read_memory_byte(b, address))
          << "round " << round << " address " << std::hex << address;
    ASSERT_EQ(0, memcmp(a.map_grid, b.map_grid, sizeof a.map_grid)) << "round " << round;
    ASSERT_EQ(0, memcmp(a.sprite_sheet.pixels, b.sprite_sheet.pixels, kPixelPageBytes)) << "round " << round;
    for (int d = 0; d < 4; ++d)
      ASSERT_EQ(0, memcmp(a.display_pages[d].pixels, b.display_pages[d].pixels, kPixelPageBytes)) << round;
  }

  static int32_t random_address(std::mt19937& random) {
    // Favour page edges and the interesting regions.
    static const int32_t anchors[] = {0x0000, 0x0fc0, 0x1000, 0x1ff0, 0x2000, 0x2ff8, 0x3000, 0x30f0, 0x3100,
                                      0x3200, 0x42f0, 0x4300, 0x5df0, 0x5e00, 0x5f80, 0x6000, 0x7fc0, 0x8000,
                                      0x9ff0, 0xa000, 0xc000, 0xe000, 0xfff0};
    int32_t base = anchors[random() % (sizeof anchors / sizeof anchors[0])];
    return (base + static_cast<int32_t>(random() % 0x300) - 0x80) & 0xffff;
  }
};

TEST_F(MemoryPathProperty, CopiesMatchTheBytePath) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 300; ++round) {
    auto fast = new_machine();
    auto slow = new_machine();
    std::mt19937 fill_random(static_cast<uint32_t>(round));
    randomise(*fast, fill_random);
    fill_random.seed(static_cast<uint32_t>(round));
    randomise(*slow, fill_random);

    int32_t dest = random_address(random);
    int32_t src = random() % 4 == 0 ? (dest + static_cast<int32_t>(random() % 0x180) - 0xc0) & 0xffff
                                    : random_address(random);
    // Registers change the mappings; keep copies out of them except sometimes.
    bool allow_registers = random() % 8 == 0;
    int32_t len = static_cast<int32_t>(random() % 0x1200) + 1;
    auto touches_registers = [](int32_t start, int32_t count) {
      for (int32_t i = 0; i < count; ++i)
        if (((start + i) & 0xff00) == 0x5f00) return true;
      return false;
    };
    if (!allow_registers && touches_registers(dest, len)) continue;
    memory_copy(*fast, dest, src, len);
    memory_copy_bytewise(*slow, dest, src, len);
    SCOPED_TRACE(testing::Message() << std::hex << "memcpy " << dest << " " << src << " " << len);
    expect_same(*fast, *slow, round);

    int32_t value = static_cast<int32_t>(random());
    int32_t fill_dest = random_address(random);
    if (!allow_registers && touches_registers(fill_dest, len)) continue;
    memory_set(*fast, fill_dest, value, len);
    memory_set_bytewise(*slow, fill_dest, value, len);
    SCOPED_TRACE(testing::Message() << std::hex << "memset " << fill_dest << " " << value << " " << len);
    expect_same(*fast, *slow, round);
  }
}

}  // namespace
}  // namespace tamori::machine
