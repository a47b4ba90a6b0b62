// Sprites, map and text as fractions of a 1/60 s frame: a full-screen map,
// 1000 sprites and 30 lines of text. A whole-screen cls in the same run is
// the reference to compare against.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "machine/draw_state_functions.h"
#include "machine/map_functions.h"
#include "machine/memory_map.h"
#include "machine/print_functions.h"
#include "machine/sprite_functions.h"

namespace {

using namespace tamori::machine;

constexpr int32_t fixed(int32_t whole) { return static_cast<int32_t>(static_cast<uint32_t>(whole) << 16); }

using Clock = std::chrono::steady_clock;

void set_frame_fraction(benchmark::State& bench, Clock::time_point start) {
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  double iterations = static_cast<double>(std::max<benchmark::IterationCount>(bench.iterations(), 1));
  bench.counters["frame_fraction"] = seconds / iterations * 60.0;
}

// A machine whose sprite sheet, map and flags are filled with a fixed
// pattern, so every tile and sprite has transparent and opaque pixels.
std::unique_ptr<MachineState> filled_machine() {
  auto state = std::make_unique<MachineState>();
  init_machine_state(*state);
  for (int i = 0; i < kPixelPageBytes; ++i) state->sprite_sheet.pixels[i] = static_cast<uint8_t>((i * 7 + i / 128) & 15);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 128; ++x) mset(*state, x, y, 1 + (x * 3 + y) % 255);
  return state;
}

// Every glyph a 3 x 5 block with a hole, like the console's letters.
TextState bench_text_state() {
  std::array<tamori::host::PodImage, 256> glyphs;
  for (int code = 0; code < 256; ++code) {
    tamori::host::PodImage& glyph = glyphs[static_cast<size_t>(code)];
    glyph.width = code < 128 ? 4 : 8;
    glyph.height = 6;
    glyph.pixels.assign(static_cast<size_t>(glyph.width * glyph.height), 0);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < glyph.width - 1; ++x) glyph.pixels[static_cast<size_t>(y * glyph.width + x)] = (x + y + code) % 3 != 0;
  }
  TextState text;
  set_builtin_font(text, glyphs);
  return text;
}

void BM_FullScreenMap(benchmark::State& bench) {
  auto m = filled_machine();
  Clock::time_point start = Clock::now();
  for (auto _ : bench) {
    map(*m, MapArguments{0, 0, -3, -5, 17, 17, 0});
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_FullScreenMap);

void BM_ThousandSprites(benchmark::State& bench) {
  auto m = filled_machine();
  Clock::time_point start = Clock::now();
  for (auto _ : bench) {
    for (int i = 0; i < 1000; ++i)
      spr(*m, i & 255, (i * 37) % 136 - 8, (i * 91) % 136 - 8, std::nullopt, std::nullopt, false, false);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_ThousandSprites);

void BM_ThirtyLinesOfText(benchmark::State& bench) {
  auto m = filled_machine();
  TextState text = bench_text_state();
  const std::string line = "the quick brown fox jumps over!";
  Clock::time_point start = Clock::now();
  for (auto _ : bench) {
    for (int i = 0; i < 30; ++i) print(*m, text, PrintArguments{line, 0, (i * 6) % 126, fixed(7 + i % 8), true});
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_ThirtyLinesOfText);

void BM_ClearScreenSpriteTextReference(benchmark::State& bench) {
  auto m = filled_machine();
  Clock::time_point start = Clock::now();
  for (auto _ : bench) {
    cls(*m, fixed(3));
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_ClearScreenSpriteTextReference);

}  // namespace
