// Interpreter speed on typical cartridge work: arithmetic loops, calls,
// table traffic, metamethods and string building. The native arithmetic
// loop is the reference the interpreted loop is compared with.
#include <benchmark/benchmark.h>

#include <string>

#include "program_bench.h"

namespace {

using namespace tamori::lang;
using tamori::bench::run_program;


void BM_VmArithmeticLoop(benchmark::State& bench) {
  run_program(bench, "local x, y = 0, 3 for i = 1, 10000 do x = (x + i * y) % 1000 y = y ^^ 1 end");
}
BENCHMARK(BM_VmArithmeticLoop);

void BM_NativeArithmeticLoopReference(benchmark::State& bench) {
  for (auto _ : bench) {
    int32_t x = 0, y = 3;
    for (int32_t i = 1; i <= 10000; i++) {
      benchmark::DoNotOptimize(x = (x + i * y) % 1000);
      y ^= 1;
    }
  }
}
BENCHMARK(BM_NativeArithmeticLoopReference);

void BM_VmRecursiveCalls(benchmark::State& bench) {
  run_program(bench, "local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end fib(16)");
}
BENCHMARK(BM_VmRecursiveCalls);

void BM_VmTableTraffic(benchmark::State& bench) {
  run_program(bench, R"(
    local t = {}
    for i = 1, 2000 do t[i] = i end
    local objects = {}
    for i = 1, 200 do objects[i] = {x = i, y = -i, name = "o" .. i} end
    local sum = 0
    for round = 1, 5 do
      for i = 1, #objects do local o = objects[i] o.x += 1 sum += o.x + t[i] end
    end
  )");
}
BENCHMARK(BM_VmTableTraffic);

void BM_VmMetamethodsAndStrings(benchmark::State& bench) {
  run_program(bench, R"(
    local V = {}
    V.__index = V
    V.__add = function(a, b) return setmetatable({x = a.x + b.x}, V) end
    function V:scaled(k) return setmetatable({x = self.x * k}, V) end
    local acc = setmetatable({x = 0}, V)
    local step = setmetatable({x = 1}, V)
    local text = ""
    for i = 1, 500 do
      acc = acc + step:scaled(2)
      if i % 50 == 0 then text = text .. acc.x .. "," end
    end
  )");
}
BENCHMARK(BM_VmMetamethodsAndStrings);

}  // namespace
