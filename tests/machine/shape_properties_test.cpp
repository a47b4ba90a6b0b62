// Properties every shape keeps over many random calls: nothing is written
// outside the clip rectangle, lines are the same in both directions, ovals
// are mirror-symmetric; and the CPU cycles charged for known shapes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "draw_script.h"
#include "machine/draw_state_functions.h"
#include "machine/line_functions.h"
#include "machine/memory.h"
#include "machine/oval_functions.h"
#include "machine/rectangle_functions.h"

namespace tamori::machine {
namespace {

using testing::new_drawing_machine;
using testing::run_draw_command;

constexpr int32_t fixed(int32_t whole) { return static_cast<int32_t>(static_cast<uint32_t>(whole) << 16); }

bool same_pixels(const PixelPage& a, const PixelPage& b) {
  return std::memcmp(a.pixels, b.pixels, sizeof a.pixels) == 0;
}

TEST(ShapeProperties, NothingIsWrittenOutsideTheClip) {
  std::mt19937 random(1234);
  auto coordinate = [&] {
    // Mostly near the screen, sometimes far outside it.
    int32_t near = static_cast<int32_t>(random() % 200) - 36;
    return random() % 8 == 0 ? static_cast<int32_t>(random() % 65536) - 32768 : near;
  };
  const char* shapes[] = {"line", "rect", "rectfill", "oval", "ovalfill", "circ", "circfill", "rrect", "rrectfill"};
  auto m = new_drawing_machine();
  for (int round = 0; round < 3000; ++round) {
    reset(*m);
    int x0 = static_cast<int>(random() % 128), y0 = static_cast<int>(random() % 128);
    int w = static_cast<int>(random() % 60), h = static_cast<int>(random() % 60);
    run_draw_command(*m, "clip " + std::to_string(x0) + " " + std::to_string(y0) + " " + std::to_string(w) + " " +
                             std::to_string(h));
    run_draw_command(*m, "camera " + std::to_string(coordinate() / 4) + " " + std::to_string(coordinate() / 4));
    run_draw_command(*m, "poke 0x5f34 3");
    // Every pixel starts at 1; shapes draw 7 (or 7 and 8 through the pattern).
    std::memset(m->draw_target->pixels, 1, sizeof m->draw_target->pixels);
    std::string call = shapes[round % 9];
    for (int i = 0; i < 6; ++i) call += " " + std::to_string(coordinate());
    call += round % 3 == 0 ? " 0x1887" : " 7";  // an inverted fill every third round
    ASSERT_EQ(run_draw_command(*m, call), "");
    const PixelPage& page = *m->draw_target;
    for (int y = 0; y < kPixelPageSize; ++y)
      for (int x = 0; x < kPixelPageSize; ++x) {
        bool inside = x >= page.clip_x0 && x < page.clip_x1 && y >= page.clip_y0 && y < page.clip_y1;
        if (!inside) {
          ASSERT_EQ(page.pixels[y * kPixelPageSize + x], 1) << call << " wrote " << x << "," << y;
        }
      }
  }
}

TEST(ShapeProperties, ExtremeCoordinatesStayInsideTheClip) {
  const char* cameras[] = {"camera 0 0", "camera -32768 -32768", "camera 32767 32767", "camera -32768 32767"};
  const char* calls[] = {"line -32768 -32768 32767 32767",
                         "line 32767 -32768 -32768 32767",
                         "line -32768 5 32767 6",
                         "rect -32768 -32768 32767 32767",
                         "rectfill -32768 -32768 32767 32767",
                         "oval -32768 -32768 32767 32767",
                         "ovalfill -32768 -32768 32767 32767",
                         "oval -32768 60 32767 70",
                         "ovalfill -32768 0 32767 200",
                         "circ 32767 32767 32767",
                         "circfill -32768 -32768 32767.5",
                         "rrect -32768 -32768 32767 32767 32767",
                         "rrectfill -32768 -32768 32767 32767 32767",
                         "rrectfill 32767 32767 32767 32767 -32768",
                         "pset -32768 32767"};
  for (const char* camera_call : cameras)
    for (const char* call : calls) {
      auto m = new_drawing_machine();
      run_draw_command(*m, "poke 0x5f36 2");
      run_draw_command(*m, "clip 20 30 40 50");
      run_draw_command(*m, camera_call);
      std::memset(m->draw_target->pixels, 1, sizeof m->draw_target->pixels);
      ASSERT_EQ(run_draw_command(*m, std::string(call) + " 7"), "");
      for (int y = 0; y < kPixelPageSize; ++y)
        for (int x = 0; x < kPixelPageSize; ++x) {
          bool inside = x >= 20 && x < 60 && y >= 30 && y < 80;
          if (!inside) {
            ASSERT_EQ(m->draw_target->pixels[y * kPixelPageSize + x], 1) << camera_call << "; " << call;
          }
        }
    }
}

TEST(ShapeProperties, LinesAreTheSameInBothDirections) {
  auto forwards = new_drawing_machine();
  auto backwards = new_drawing_machine();
  std::mt19937 random(99);
  for (int round = 0; round < 2000; ++round) {
    int32_t x0 = static_cast<int32_t>(random() % 300) - 86, y0 = static_cast<int32_t>(random() % 300) - 86;
    int32_t x1 = static_cast<int32_t>(random() % 300) - 86, y1 = static_cast<int32_t>(random() % 300) - 86;
    if (y0 == y1) continue;  // on equal rows the first point starts the steps
    std::memset(forwards->draw_target->pixels, 0, sizeof forwards->draw_target->pixels);
    std::memset(backwards->draw_target->pixels, 0, sizeof backwards->draw_target->pixels);
    int64_t forward_cycles = line_between(*forwards, x0, y0, x1, y1, fixed(7));
    int64_t backward_cycles = line_between(*backwards, x1, y1, x0, y0, fixed(7));
    ASSERT_TRUE(same_pixels(*forwards->draw_target, *backwards->draw_target))
        << x0 << "," << y0 << " " << x1 << "," << y1;
    ASSERT_EQ(forward_cycles, backward_cycles);
  }
}

TEST(ShapeProperties, OvalsAreMirrorSymmetric) {
  for (int w = 0; w < 40; ++w)
    for (int h = 0; h < 40; h += 3) {
      for (bool filled : {false, true}) {
        auto m = new_drawing_machine();
        if (filled)
          ovalfill(*m, 10, 10, 10 + w, 10 + h, fixed(7));
        else
          oval(*m, 10, 10, 10 + w, 10 + h, fixed(7));
        const uint8_t* pixels = m->draw_target->pixels;
        int drawn = 0;
        for (int y = 0; y <= h; ++y)
          for (int x = 0; x <= w; ++x) {
            uint8_t pixel = pixels[(10 + y) * 128 + 10 + x];
            drawn += pixel != 0;
            ASSERT_EQ(pixel, pixels[(10 + y) * 128 + 10 + w - x]) << w << "x" << h << " at " << x << "," << y;
            ASSERT_EQ(pixel, pixels[(10 + h - y) * 128 + 10 + x]) << w << "x" << h << " at " << x << "," << y;
          }
        // The box's edges are reached: the shape is w + 1 by h + 1.
        ASSERT_NE(pixels[(10 + h / 2) * 128 + 10], 0) << w << "x" << h;
        ASSERT_NE(pixels[10 * 128 + 10 + w / 2], 0) << w << "x" << h;
        ASSERT_GT(drawn, 0);
      }
    }
}

TEST(ShapeProperties, FilledShapesCoverTheirOutlines) {
  for (int r = 0; r < 30; ++r) {
    auto outline = new_drawing_machine();
    auto filled = new_drawing_machine();
    circ(*outline, 64, 64, fixed(r), fixed(7));
    circfill(*filled, 64, 64, fixed(r), fixed(7));
    rrect(*outline, 2, 2, 5 + r, 40 - r, r / 3, fixed(7));
    rrectfill(*filled, 2, 2, 5 + r, 40 - r, r / 3, fixed(7));
    for (int i = 0; i < kPixelPageBytes; ++i)
      if (outline->draw_target->pixels[i]) {
        ASSERT_EQ(filled->draw_target->pixels[i], 7) << r << " at " << i;
      }
  }
}

TEST(ShapeProperties, InvertedFillIsTheComplementOfTheFill) {
  const char* calls[] = {"circfill 60 70 23",    "ovalfill 10 20 90 61", "rrectfill 5 6 70 50 9",
                         "rectfill 9 9 80 30",   "circfill 64 64 300",   "ovalfill -10 -10 500 400",
                         "ovalfill 10 10 80 11", "rrectfill 5 6 1 50 9", "rrectfill 5 6 0 5 1",
                         "circfill 20 20 -3"};
  for (const char* call : calls) {
    auto normal = new_drawing_machine();
    auto inverted = new_drawing_machine();
    run_draw_command(*normal, "clip 3 4 120 100");
    run_draw_command(*inverted, "clip 3 4 120 100");
    run_draw_command(*inverted, "poke 0x5f34 2");
    run_draw_command(*normal, std::string(call) + " 7");
    run_draw_command(*inverted, std::string(call) + " 0x1807");
    for (int y = 4; y < 104; ++y)
      for (int x = 3; x < 123; ++x) {
        int index = y * 128 + x;
        ASSERT_NE(normal->draw_target->pixels[index], inverted->draw_target->pixels[index])
            << call << " at " << x << "," << y;
      }
  }
}

TEST(SpriteSheetTarget, DrawingThereChangesTheMapRowsItShares) {
  auto m = new_drawing_machine();
  write_map_cell(*m, 40, 40, 0x99);  // memory 0x1428: sprite row 80
  run_draw_command(*m, "poke 0x5f55 0");
  ASSERT_EQ(m->draw_target, &m->sprite_sheet);
  run_draw_command(*m, "rectfill 0 64 3 64 0x22");
  run_draw_command(*m, "pset 4 65 5");
  run_draw_command(*m, "line 2 127 3 127 7");
  run_draw_command(*m, "circfill 100 100 3 4");
  EXPECT_EQ(read_map_cell(*m, 0, 32), 0x22);
  EXPECT_EQ(read_map_cell(*m, 1, 32), 0x22);
  EXPECT_EQ(read_map_cell(*m, 66, 32), 0x05);  // sprite rows are 64 bytes: (4, 65) is byte 66
  EXPECT_EQ(read_map_cell(*m, 65, 63), 0x77);  // (2, 127) is byte 4033
  EXPECT_EQ(read_map_cell(*m, 40, 40), 0x99);
  for (uint32_t address = 0x1000; address < 0x2000; ++address) {
    int cell = static_cast<int>(address - 0x1000);
    ASSERT_EQ(read_map_cell(*m, cell % 128, 32 + cell / 128), read_memory_byte(*m, address)) << address;
  }
  // Drawing on the screen leaves the map alone.
  run_draw_command(*m, "poke 0x5f55 0x60");
  run_draw_command(*m, "rectfill 0 64 127 127 3");
  EXPECT_EQ(read_map_cell(*m, 0, 32), 0x22);
}

TEST(ShapeCycles, ChargesInProportionToTheWork) {
  struct Case {
    const char* call;
    int64_t cycles;
  };
  auto run = [](MachineState& m, const char* name) -> int64_t {
    std::string call = name;
    if (call == "rectfill whole screen") return rectfill(m, 0, 0, 127, 127, fixed(1));
    if (call == "rect whole screen") return rect(m, 0, 0, 127, 127, fixed(1));
    if (call == "level line") return line_between(m, -10, 5, 200, 5, fixed(1));
    if (call == "sloped line") return line_between(m, 0, 0, 10, 5, fixed(1));
    if (call == "sloped line clipped away") return line_between(m, -50, 0, -10, 5, fixed(1));
    if (call == "circle radius 1") return circ(m, 64, 64, fixed(1), fixed(1));
    if (call == "filled circle radius 1") return circfill(m, 64, 64, fixed(1), fixed(1));
    if (call == "huge oval around the clip") return oval(m, -500, -500, 600, 600, fixed(1));
    if (call == "cls") return cls(m, fixed(1));
    return -1;
  };
  const Case cases[] = {
      {"rectfill whole screen", 16384 / 16},
      {"rect whole screen", (128 + 128 + 126 + 126) / 16},
      {"level line", 128 / 16},
      {"sloped line", 11 / 2},
      {"sloped line clipped away", 0},
      {"circle radius 1", (3 + 3) / 2},           // two steps of two plus one mirrored point
      {"filled circle radius 1", (16 + 5) / 16},  // two steps of 8 plus five pixels
      {"huge oval around the clip", 0},
      {"cls", 1024},
  };
  for (const Case& c : cases) {
    auto m = new_drawing_machine();
    EXPECT_EQ(run(*m, c.call), c.cycles) << c.call;
  }
}

}  // namespace
}  // namespace tamori::machine
