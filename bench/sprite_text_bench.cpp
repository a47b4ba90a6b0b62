// Sprites, map and text as fractions of a 1/60 s frame: a full-screen map,
// 1000 sprites and 30 lines of text. A whole-screen cls in the same run is
// the reference to compare against.
#include "draw_bench_support.h"

namespace tamori::bench {
namespace {

using namespace tamori::machine;

void BM_FullScreenMap(benchmark::State& bench) {
  auto m = filled_machine();
  FrameTimer start;
  for (auto _ : bench) {
    draw_full_screen_map(*m);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_FullScreenMap);

void BM_ThousandSprites(benchmark::State& bench) {
  auto m = filled_machine();
  FrameTimer start;
  for (auto _ : bench) {
    draw_thousand_sprites(*m);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_ThousandSprites);

void BM_ThirtyLinesOfText(benchmark::State& bench) {
  auto m = filled_machine();
  TextState text = bench_text_state();
  FrameTimer start;
  for (auto _ : bench) {
    print_thirty_lines(*m, text);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_ThirtyLinesOfText);

}  // namespace
}  // namespace tamori::bench
