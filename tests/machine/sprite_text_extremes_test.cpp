// Sprites, map, textured lines and printing fed extreme and random
// arguments: nothing may write outside the pages or store a pixel above 15,
// and charges stay non-negative. Runs under the sanitizers in CI.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "draw_script.h"
#include "machine/draw_state_functions.h"
#include "machine/map_functions.h"
#include "machine/memory.h"
#include "machine/print_functions.h"
#include "machine/sprite_functions.h"
#include "machine/tline_functions.h"

namespace tamori::machine::testing {
namespace {

struct Random {
  uint32_t seed = 2024;
  uint32_t next() {
    seed = seed * 1664525u + 1013904223u;
    return seed;
  }
  int32_t between(int32_t low, int32_t high) {
    return low + static_cast<int32_t>(next() % static_cast<uint32_t>(high - low + 1));
  }
  // Mostly small coordinates, sometimes the ends of the 16-bit range.
  int32_t coordinate() {
    switch (next() % 8) {
      case 0: return -32768;
      case 1: return 32767;
      default: return between(-200, 300);
    }
  }
};

int32_t highest_pixel(const MachineState& state) {
  int32_t highest = 0;
  const PixelPage* pages[] = {&state.sprite_sheet, &state.display_pages[0]};
  for (const PixelPage* page : pages)
    for (uint8_t pixel : page->pixels) highest = std::max<int32_t>(highest, pixel);
  return highest;
}

void shuffle_draw_state(MachineState& state, Random& random) {
  camera(state, random.coordinate(), random.coordinate());
  for (uint32_t i = 0; i < 16; ++i) write_memory_byte(state, 0x5f00 + i, random.next());
  for (uint32_t i = 0; i < 16; ++i) write_memory_byte(state, 0x5f60 + i, random.next());
  fillp(state, static_cast<int32_t>(random.next()));
  write_memory_byte(state, 0x5f5e, random.next());
  write_memory_byte(state, 0x5f36, random.next());
  for (uint32_t address = 0x5f38; address < 0x5f3c; ++address) write_memory_byte(state, address, random.next());
  write_memory_byte(state, 0x5f54, random.next() % 2 ? 0x00 : 0x60);
  write_memory_byte(state, 0x5f56, random.next());
  write_memory_byte(state, 0x5f57, random.next());
}

TEST(SpriteExtremes, RandomCallsStayInsideThePages) {
  auto state = new_drawing_machine();
  Random random;
  for (int i = 0; i < kPixelPageBytes; ++i) state->sprite_sheet.pixels[i] = static_cast<uint8_t>(random.next() & 15);
  for (int round = 0; round < 400; ++round) {
    if (round % 20 == 0) shuffle_draw_state(*state, random);
    int64_t cycles = 0;
    switch (round % 5) {
      case 0:
        cycles = spr(*state, random.between(-2, 260), random.coordinate(), random.coordinate(),
                     static_cast<int32_t>(random.next()), static_cast<int32_t>(random.next()), random.next() & 1,
                     random.next() & 1);
        break;
      case 1:
        cycles = sspr(*state, random.coordinate(), random.coordinate(), random.between(-5, 140),
                      random.between(-5, 140), random.coordinate(), random.coordinate(), random.coordinate(),
                      random.coordinate(), random.next() & 1, random.next() & 1);
        break;
      case 2:
        cycles = map(*state, MapArguments{random.coordinate(), random.coordinate(), random.coordinate(),
                                          random.coordinate(), random.coordinate(), random.coordinate(),
                                          static_cast<int32_t>(random.next() & 0xffff)});
        break;
      case 3:
        tline_precision(*state, random.between(-40, 40));
        cycles = tline(*state, TlineArguments{random.coordinate(), random.coordinate(), random.coordinate(),
                                              random.coordinate(), static_cast<int32_t>(random.next()),
                                              static_cast<int32_t>(random.next()),
                                              static_cast<int32_t>(random.next()),
                                              static_cast<int32_t>(random.next()), random.between(0, 255)});
        break;
      default:
        mset(*state, random.coordinate(), random.coordinate(), static_cast<int32_t>(random.next()));
        sset(*state, random.between(-2, 130), random.between(-2, 130), static_cast<int32_t>(random.next()));
        fset_flag(*state, random.between(-2, 258), random.between(-2, 9), random.next() & 1);
        EXPECT_LE(mget(*state, random.coordinate(), random.coordinate()), 255);
        EXPECT_LE(sget(*state, random.coordinate(), random.coordinate()), 255);
        break;
    }
    ASSERT_GE(cycles, 0) << "round " << round;
  }
  EXPECT_LE(highest_pixel(*state), 15);
}

TEST(PrintExtremes, RandomTextFinishesOrWaitsSafely) {
  auto state = new_drawing_machine();
  TextState text = new_text_state();
  Random random;
  // Bytes that favour control codes, commands and parameter characters.
  const std::string favourites = "\1\2\3\4\5\6\6\6\7\b\t\n\v\f\r\16\17cdghjrsxyow=tpi#b$u.:,;@!-19azAZ ";
  for (int round = 0; round < 300; ++round) {
    if (round % 25 == 0) shuffle_draw_state(*state, random);
    std::string line;
    int length = random.between(0, 40);
    for (int i = 0; i < length; ++i)
      line += random.next() % 3 ? favourites[random.next() % favourites.size()] : static_cast<char>(random.next());
    PrintArguments arguments{line, std::nullopt, std::nullopt, static_cast<int32_t>(random.next()), (random.next() & 1) != 0};
    if (random.next() & 1) {
      arguments.x = random.coordinate();
      arguments.y = random.coordinate();
    }
    PrintResult result = print(*state, text, arguments);
    ASSERT_GE(result.cycles, 0);
    for (int frame = 0; frame < 3 && !result.finished; ++frame) result = continue_print(*state, text);
  }
  EXPECT_LE(highest_pixel(*state), 15);
}

}  // namespace
}  // namespace tamori::machine::testing
