// Whole-screen copies and fills through the page paths against the same
// work done byte by byte through the single-byte translation.
#include <benchmark/benchmark.h>

#include <memory>

#include "machine/memory.h"
#include "machine/memory_functions.h"
#include "machine/memory_map.h"

namespace {

using namespace tamori::machine;

std::unique_ptr<MachineState> bench_machine() {
  auto state = std::make_unique<MachineState>();
  init_machine_state(*state);
  for (int i = 0; i < kPixelPageBytes; ++i) state->display_pages[0].pixels[i] = static_cast<uint8_t>(i * 7 % 16);
  return state;
}

void BM_ScrollScreenRowPath(benchmark::State& bench) {
  auto m = bench_machine();
  for (auto _ : bench) {
    memory_copy(*m, 0x6000, 0x6040, 0x1fc0);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  bench.SetBytesProcessed(bench.iterations() * 0x1fc0);
}
BENCHMARK(BM_ScrollScreenRowPath);

void BM_ScrollScreenBytePath(benchmark::State& bench) {
  auto m = bench_machine();
  for (auto _ : bench) {
    memory_copy_bytewise(*m, 0x6000, 0x6040, 0x1fc0);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  bench.SetBytesProcessed(bench.iterations() * 0x1fc0);
}
BENCHMARK(BM_ScrollScreenBytePath);

void BM_CopySpritesToScreenRowPath(benchmark::State& bench) {
  auto m = bench_machine();
  for (auto _ : bench) {
    memory_copy(*m, 0x6000, 0x0000, 0x2000);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  bench.SetBytesProcessed(bench.iterations() * 0x2000);
}
BENCHMARK(BM_CopySpritesToScreenRowPath);

void BM_CopyUpperMemoryToScreenRowPath(benchmark::State& bench) {
  auto m = bench_machine();
  for (auto _ : bench) {
    memory_copy(*m, 0x6000, 0x8000, 0x2000);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  bench.SetBytesProcessed(bench.iterations() * 0x2000);
}
BENCHMARK(BM_CopyUpperMemoryToScreenRowPath);

void BM_CopyUpperMemoryToScreenBytePath(benchmark::State& bench) {
  auto m = bench_machine();
  for (auto _ : bench) {
    memory_copy_bytewise(*m, 0x6000, 0x8000, 0x2000);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  bench.SetBytesProcessed(bench.iterations() * 0x2000);
}
BENCHMARK(BM_CopyUpperMemoryToScreenBytePath);

void BM_FillScreenRowPath(benchmark::State& bench) {
  auto m = bench_machine();
  int value = 0;
  for (auto _ : bench) {
    memory_set(*m, 0x6000, value++ & 0xff, 0x2000);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  bench.SetBytesProcessed(bench.iterations() * 0x2000);
}
BENCHMARK(BM_FillScreenRowPath);

void BM_FillScreenBytePath(benchmark::State& bench) {
  auto m = bench_machine();
  int value = 0;
  for (auto _ : bench) {
    memory_set_bytewise(*m, 0x6000, value++ & 0xff, 0x2000);
    benchmark::DoNotOptimize(m->display_pages[0].pixels[0]);
  }
  bench.SetBytesProcessed(bench.iterations() * 0x2000);
}
BENCHMARK(BM_FillScreenBytePath);

}  // namespace
