// The heavy frame, drawn whole: a full-screen map, 1000 sprites, 100 filled
// circles and 100 filled ovals with a fill pattern, 100 lines and 30 lines
// of text. Its frame_fraction counter is the host time of one such frame as
// a fraction of a 1/60 s frame (the goal is under 0.05); a whole-screen cls
// in the same run is the reference to compare against.
#include <string>

#include "draw_bench_support.h"
#include "machine/draw_state_functions.h"
#include "machine/line_functions.h"
#include "machine/oval_functions.h"
#include "machine/sprite_functions.h"

namespace tamori::bench {
namespace {

using namespace tamori::machine;

void draw_heavy_frame(MachineState& m, TextState& text, const std::vector<SceneShape>& shapes) {
  map(m, MapArguments{0, 0, -3, -5, 17, 17, 0});
  for (int i = 0; i < 1000; ++i)
    spr(m, i & 255, (i * 37) % 136 - 8, (i * 91) % 136 - 8, std::nullopt, std::nullopt, false, false);
  fillp(m, fixed(0x5a5a));
  for (size_t i = 0; i < 100; ++i) {
    const SceneShape& s = shapes[i];
    circfill(m, s.x0, s.y0, fixed(s.radius), fixed(s.colour | 0x80));
  }
  for (size_t i = 100; i < 200; ++i) {
    const SceneShape& s = shapes[i];
    ovalfill(m, s.x0, s.y0, s.x1, s.y1, fixed(s.colour | 0x10));
  }
  fillp(m, 0);
  for (size_t i = 200; i < 300; ++i) {
    const SceneShape& s = shapes[i];
    line_between(m, s.x0, s.y0, s.x1, s.y1, fixed(s.colour));
  }
  const std::string line = "the quick brown fox jumps over!";
  for (int i = 0; i < 30; ++i) print(m, text, PrintArguments{line, 0, (i * 6) % 126, fixed(7 + i % 8), true});
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
