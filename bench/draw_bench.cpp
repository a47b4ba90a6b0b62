// One busy frame of shapes: 200 filled circles and ovals with a fill
// pattern and 100 lines. The frame_fraction counter is the time of one such
// frame as a fraction of a 1/60 s frame; the solid-colour scene and a
// whole-screen cls in the same run are the references to compare against.
#include "draw_bench_support.h"

namespace tamori::bench {
namespace {

using namespace tamori::machine;

void BM_DrawPatternedScene(benchmark::State& bench) {
  auto m = bench_machine();
  std::vector<SceneShape> shapes = make_scene(300);
  FrameTimer start;
  for (auto _ : bench) {
    draw_shapes(*m, shapes, fixed(0x5a5a));
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_DrawPatternedScene);

void BM_DrawSolidSceneReference(benchmark::State& bench) {
  auto m = bench_machine();
  std::vector<SceneShape> shapes = make_scene(300);
  FrameTimer start;
  for (auto _ : bench) {
    draw_shapes(*m, shapes, 0);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_DrawSolidSceneReference);

// The reference for every drawing benchmark in this program: clearing the
// screen does not depend on what the sheet or map hold.
void BM_ClearScreenReference(benchmark::State& bench) {
  auto m = bench_machine();
  FrameTimer start;
  for (auto _ : bench) {
    cls(*m, fixed(3));
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_ClearScreenReference);

}  // namespace
}  // namespace tamori::bench
