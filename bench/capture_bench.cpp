// Capture costs. BM_RecordVideoFrame is what the main loop does for each
// recorded frame (compose the shown screen, copy it into a full ring of 16
// seconds); its frame_fraction counter is that time as a fraction of a
// 1/60 s frame. BM_SaveLongGif writes a 120-second GIF (3600 frames) at
// scale 2 of a screen that changes everywhere every frame, the worst case
// for the encoder; its clip_fraction counter is the time it takes as a
// fraction of the 120 seconds the clip plays.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "capture/gif_writer.h"
#include "capture/video_ring.h"
#include "draw_bench_support.h"
#include "machine/display_memory.h"

namespace tamori::bench {
namespace {

uint32_t next_random(uint32_t& seed) {
  seed = seed * 1664525u + 1013904223u;
  return seed >> 8;
}

void BM_RecordVideoFrame(benchmark::State& bench) {
  std::unique_ptr<machine::MachineState> state = filled_machine();
  uint32_t seed = 1;
  for (int i = 0; i < machine::kPixelPageBytes; ++i) state->display_pages[0].pixels[i] = uint8_t(next_random(seed) & 15);
  capture::VideoRing ring;
  const int capacity = capture::video_capacity(16, false);
  machine::Picture picture;
  for (int i = 0; i < capacity; i++) capture::record_video_frame(ring, picture, capacity);
  const FrameTimer start;
  for (auto _ : bench) {
    machine::compose_program_picture(*state, 0, picture);
    capture::record_video_frame(ring, picture, capacity);
    benchmark::DoNotOptimize(ring.oldest);
  }
  set_frame_fraction(bench, start);
}
BENCHMARK(BM_RecordVideoFrame);

void BM_SaveLongGif(benchmark::State& bench) {
  capture::VideoRing ring;
  uint32_t seed = 7;
  machine::Picture frame;
  for (int i = 0; i < capture::kMaxVideoFrames; i++) {
    for (uint8_t& pixel : frame) pixel = uint8_t(next_random(seed) & 15);
    capture::record_video_frame(ring, frame, capture::kMaxVideoFrames);
  }
  machine::Palette palette{};
  const std::string path =
      (std::filesystem::temp_directory_path() / ("tamori_bench_" + std::to_string(::getpid()) + ".gif")).string();
  const Clock::time_point start = Clock::now();
  for (auto _ : bench) {
    if (capture::save_gif(ring, palette, 2, path) != capture::kGifSaved) bench.SkipWithError("gif not saved");
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double clip_seconds = double(capture::kMaxVideoFrames) / capture::kVideoFramesPerSecond;
  bench.counters["clip_fraction"] = seconds / double(std::max<benchmark::IterationCount>(bench.iterations(), 1)) / clip_seconds;
  std::remove(path.c_str());
}
BENCHMARK(BM_SaveLongGif)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace tamori::bench
