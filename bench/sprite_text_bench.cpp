// Sprites, map and text as fractions of a 1/60 s frame: a full-screen map,
// 1000 sprites and 30 lines of text. A whole-screen cls in the same run is
// the reference to compare against.
#include <string>

#include "draw_bench_support.h"
#include "machine/draw_state_functions.h"
#include "machine/sprite_functions.h"

namespace tamori::bench {
namespace {

using namespace tamori::machine;

void BM_FullScreenMap(benchmark::State& bench) {
  auto m = filled_machine();
  FrameTimer start;
  for (auto _ : bench) {
    map(*m, MapArguments{0, 0, -3, -5, 17, 17, 0});
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_FullScreenMap);

void BM_ThousandSprites(benchmark::State& bench) {
  auto m = filled_machine();
  FrameTimer start;
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
  FrameTimer start;
  for (auto _ : bench) {
    for (int i = 0; i < 30; ++i) print(*m, text, PrintArguments{line, 0, (i * 6) % 126, fixed(7 + i % 8), true});
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_ThirtyLinesOfText);

}  // namespace
}  // namespace tamori::bench
