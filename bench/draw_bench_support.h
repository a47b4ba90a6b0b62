// Shared set-up of the drawing benchmarks: a machine with a filled sprite
// sheet and map, a synthetic font, fixed scenes of shapes, and the frame
// counters: frame_fraction (wall time of one iteration as a fraction of a
// 1/60 s frame) and cpu_frame_fraction (the same from processor time, which
// other programs on a busy machine do not inflate).
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <cstdint>
#include <memory>
#include <vector>

#include <string>

#include "machine/draw_state_functions.h"
#include "machine/line_functions.h"
#include "machine/map_functions.h"
#include "machine/memory_map.h"
#include "machine/oval_functions.h"
#include "machine/print_functions.h"
#include "machine/sprite_functions.h"

namespace tamori::bench {

constexpr int32_t fixed(int32_t whole) { return static_cast<int32_t>(static_cast<uint32_t>(whole) << 16); }

using Clock = std::chrono::steady_clock;

// Where an iteration loop started, in wall and processor time.
struct FrameTimer {
  Clock::time_point wall = Clock::now();
  std::clock_t processor = std::clock();
};

inline void set_frame_fraction(benchmark::State& bench, const FrameTimer& start) {
  double seconds = std::chrono::duration<double>(Clock::now() - start.wall).count();
  double processor_seconds = static_cast<double>(std::clock() - start.processor) / CLOCKS_PER_SEC;
  double iterations = static_cast<double>(std::max<benchmark::IterationCount>(bench.iterations(), 1));
  bench.counters["frame_fraction"] = seconds / iterations * 60.0;
  bench.counters["cpu_frame_fraction"] = processor_seconds / iterations * 60.0;
}

inline std::unique_ptr<machine::MachineState> bench_machine() {
  auto state = std::make_unique<machine::MachineState>();
  machine::init_machine_state(*state);
  return state;
}

// A machine whose sprite sheet, map and flags are filled with a fixed
// pattern, so every tile and sprite has transparent and opaque pixels.
inline std::unique_ptr<machine::MachineState> filled_machine() {
  auto state = bench_machine();
  for (int i = 0; i < machine::kPixelPageBytes; ++i)
    state->sprite_sheet.pixels[i] = static_cast<uint8_t>((i * 7 + i / 128) & 15);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 128; ++x) machine::mset(*state, x, y, 1 + (x * 3 + y) % 255);
  return state;
}

// Every glyph a 3 x 5 block with a hole, like the console's letters.
inline machine::TextState bench_text_state() {
  std::array<host::PodImage, 256> glyphs;
  for (int code = 0; code < 256; ++code) {
    host::PodImage& glyph = glyphs[static_cast<size_t>(code)];
    glyph.width = code < 128 ? 4 : 8;
    glyph.height = 6;
    glyph.pixels.assign(static_cast<size_t>(glyph.width * glyph.height), 0);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < glyph.width - 1; ++x)
        glyph.pixels[static_cast<size_t>(y * glyph.width + x)] = (x + y + code) % 3 != 0;
  }
  machine::TextState text;
  machine::set_builtin_font(text, glyphs);
  return text;
}

struct SceneShape {
  int32_t x0, y0, x1, y1, radius, colour;
};

// Positions from a fixed linear congruential sequence, so every run draws
// the same frame.
inline std::vector<SceneShape> make_scene(int count) {
  uint32_t seed = 12345;
  auto next = [&](int32_t range) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int32_t>((seed >> 16) % static_cast<uint32_t>(range));
  };
  std::vector<SceneShape> shapes;
  for (int i = 0; i < count; ++i)
    shapes.push_back({next(160) - 16, next(160) - 16, next(160) - 16, next(160) - 16, 2 + next(30), 1 + next(15)});
  return shapes;
}

// 100 filled circles and 100 filled ovals under `pattern`, then 100 lines
// with no pattern, from a scene of at least 300 shapes.
inline void draw_shapes(machine::MachineState& m, const std::vector<SceneShape>& shapes, int32_t pattern) {
  machine::fillp(m, pattern);
  for (size_t i = 0; i < 100; ++i) {
    const SceneShape& s = shapes[i];
    machine::circfill(m, s.x0, s.y0, fixed(s.radius), fixed(s.colour | 0x80));
  }
  for (size_t i = 100; i < 200; ++i) {
    const SceneShape& s = shapes[i];
    machine::ovalfill(m, s.x0, s.y0, s.x1, s.y1, fixed(s.colour | 0x10));
  }
  machine::fillp(m, 0);
  for (size_t i = 200; i < 300; ++i) {
    const SceneShape& s = shapes[i];
    machine::line_between(m, s.x0, s.y0, s.x1, s.y1, fixed(s.colour));
  }
}

inline void draw_full_screen_map(machine::MachineState& m) {
  machine::map(m, machine::MapArguments{0, 0, -3, -5, 17, 17, 0});
}

inline void draw_thousand_sprites(machine::MachineState& m) {
  for (int i = 0; i < 1000; ++i)
    machine::spr(m, i & 255, (i * 37) % 136 - 8, (i * 91) % 136 - 8, std::nullopt, std::nullopt, false, false);
}

inline void print_thirty_lines(machine::MachineState& m, machine::TextState& text) {
  const std::string line = "the quick brown fox jumps over!";
  for (int i = 0; i < 30; ++i)
    machine::print(m, text, machine::PrintArguments{line, 0, (i * 6) % 126, fixed(7 + i % 8), true});
}

}  // namespace tamori::bench
