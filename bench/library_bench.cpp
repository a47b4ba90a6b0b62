// Speed of the language library on cartridge-style work. Each library
// benchmark has a reference doing comparable work in plain language code in
// the same run: calling flr against the floor-division operator, and the
// table functions against hand-written loops.
#include <benchmark/benchmark.h>

#include "program_bench.h"

namespace {

using namespace tamori::lang;
using tamori::bench::run_program;


void BM_LibraryFastFlr(benchmark::State& bench) {
  run_program(bench, "local x = 0 for i = 1, 10000 do x += flr(i / 3) end");
}
BENCHMARK(BM_LibraryFastFlr);

void BM_FloorDivisionOperatorReference(benchmark::State& bench) {
  run_program(bench, "local x = 0 for i = 1, 10000 do x += i \\ 3 end");
}
BENCHMARK(BM_FloorDivisionOperatorReference);

void BM_LibraryAddCountDel(benchmark::State& bench) {
  run_program(bench, R"(
    local t = {}
    for i = 1, 200 do add(t, i % 7) end
    local zeros = count(t, 0)
    for i = 1, 100 do del(t, i % 7) end
  )");
}
BENCHMARK(BM_LibraryAddCountDel);

void BM_HandWrittenAddCountDelReference(benchmark::State& bench) {
  run_program(bench, R"(
    local t = {}
    for i = 1, 200 do t[#t + 1] = i % 7 end
    local zeros = 0
    for i = 1, #t do if t[i] == 0 then zeros += 1 end end
    for i = 1, 100 do
      local v, n = i % 7, #t
      for j = 1, n do
        if t[j] == v then
          for k = j, n - 1 do t[k] = t[k + 1] end
          t[n] = nil
          break
        end
      end
    end
  )");
}
BENCHMARK(BM_HandWrittenAddCountDelReference);

}  // namespace
