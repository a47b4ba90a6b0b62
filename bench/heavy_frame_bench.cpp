// The heavy frame, drawn whole: a full-screen map, 1000 sprites, 100 filled
// circles and 100 filled ovals with a fill pattern, 100 lines and 30 lines
// of text. Its frame_fraction counter is the host time of one such frame as
// a fraction of a 1/60 s frame (the goal is under 0.05); a whole-screen cls
// in the same run is the reference to compare against.
#include "draw_bench_support.h"

namespace tamori::bench {
namespace {

using namespace tamori::machine;

void draw_heavy_frame(MachineState& m, TextState& text, const std::vector<SceneShape>& shapes) {
  draw_full_screen_map(m);
  draw_thousand_sprites(m);
  draw_shapes(m, shapes, fixed(0x5a5a));
  print_thirty_lines(m, text);
}

void BM_HeavyFrame(benchmark::State& bench) {
  auto m = filled_machine();
  TextState text = bench_text_state();
  const std::vector<SceneShape> shapes = make_scene(300);
  FrameTimer start;
  for (auto _ : bench) {
    draw_heavy_frame(*m, text, shapes);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_HeavyFrame);

}  // namespace
}  // namespace tamori::bench
