// Runs a cartridge-language program as a benchmark: compiled once, then run
// from the top on every iteration with the language library and a budget
// that never suspends it; the cycles of the last run become a counter.
#pragma once

#include <benchmark/benchmark.h>

#include "lang/api.h"
#include "lang/compiler.h"
#include "lang/cpu_counters.h"
#include "lang/library.h"

namespace tamori::bench {

inline void run_program(benchmark::State& bench, const char* source) {
  lang::CompileResult compiled = lang::compile_chunk(source, "bench");
  if (!compiled.ok()) {
    bench.SkipWithError(compiled.full_message.c_str());
    return;
  }
  lang::ThreadState* state = lang::create_state();
  lang::register_language_library(state);
  lang::lua_set_cpu_cycles_slice_max(0x3fffffff);
  for (auto _ : bench) {
    lang::lua_reset_cpu_cycles();
    lang::load_function(state, *compiled.function);
    if (lang::protected_call(state, 0, 0) != lang::RunStatus::Ok) {
      bench.SkipWithError("run-time error");
      break;
    }
  }
  bench.counters["cycles"] = lang::lua_get_cpu_cycles();
  lang::destroy_state(state);
}

}  // namespace tamori::bench
