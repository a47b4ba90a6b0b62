// One busy frame of shapes: 200 filled circles and ovals with a fill
// pattern and 100 lines. The frame_fraction counter is the time of one such
// frame as a fraction of a 1/60 s frame; the solid-colour scene and a
// whole-screen cls in the same run are the references to compare against.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "machine/draw_state_functions.h"
#include "machine/line_functions.h"
#include "machine/memory_map.h"
#include "machine/oval_functions.h"

namespace {

using namespace tamori::machine;

constexpr int32_t fixed(int32_t whole) { return static_cast<int32_t>(static_cast<uint32_t>(whole) << 16); }

struct SceneShape {
  int32_t x0, y0, x1, y1, radius, colour;
};

// Positions from a fixed linear congruential sequence, so every run draws
// the same frame.
std::vector<SceneShape> make_scene(int count) {
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

std::unique_ptr<MachineState> bench_machine() {
  auto state = std::make_unique<MachineState>();
  init_machine_state(*state);
  return state;
}

using Clock = std::chrono::steady_clock;

// Wall time of one iteration divided by a 1/60 s frame.
void set_frame_fraction(benchmark::State& bench, Clock::time_point start) {
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  double iterations = static_cast<double>(std::max<benchmark::IterationCount>(bench.iterations(), 1));
  bench.counters["frame_fraction"] = seconds / iterations * 60.0;
}

void draw_scene(MachineState& m, const std::vector<SceneShape>& shapes, int32_t pattern) {
  fillp(m, pattern);
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
}

void BM_DrawPatternedScene(benchmark::State& bench) {
  auto m = bench_machine();
  std::vector<SceneShape> shapes = make_scene(300);
  Clock::time_point start = Clock::now();
  for (auto _ : bench) {
    draw_scene(*m, shapes, fixed(0x5a5a));
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_DrawPatternedScene);

void BM_DrawSolidSceneReference(benchmark::State& bench) {
  auto m = bench_machine();
  std::vector<SceneShape> shapes = make_scene(300);
  Clock::time_point start = Clock::now();
  for (auto _ : bench) {
    draw_scene(*m, shapes, 0);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_DrawSolidSceneReference);

void BM_ClearScreenReference(benchmark::State& bench) {
  auto m = bench_machine();
  Clock::time_point start = Clock::now();
  for (auto _ : bench) {
    cls(*m, fixed(3));
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_ClearScreenReference);

}  // namespace
