// The interpreter on fuzzed programs, within a small budget: a few slices of
// cycles and the console's memory limit. Every program must end by budget,
// error or completion; none may hang or crash the host.
#include "fuzz_support.h"
#include "lang/api.h"
#include "lang/compiler.h"
#include "lang/cpu_counters.h"
#include "lang/library.h"
#include "lang/memory_meter.h"

namespace {

constexpr int32_t kSliceCycles = 20000;
constexpr int kMaxSlices = 40;

int ignore_print(tamori::lang::ThreadState*) { return 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori::lang;
  CompileResult compiled = compile_chunk(tamori::fuzz::as_text(data, size), "fuzz");
  if (!compiled.ok()) return 0;
  ThreadState* state = create_state();
  register_language_library(state);
  register_native(state, "print", ignore_print);
  load_function(state, *compiled.function);
  ThreadState* program = new_coroutine(state);
  const int anchored = get_top(state);
  lua_reset_cpu_cycles();
  lua_set_cpu_cycles_slice_max(kSliceCycles);
  for (int slice = 0; slice < kMaxSlices; ++slice) {
    lua_cpu_prepare_for_slice();
    lua_cpu_prepare_for_resume();
    int result_count = 0;
    const RunStatus status = resume(program, state, 0, &result_count);
    set_top(state, anchored);
    if (status != RunStatus::Yield) break;
    // Between slices, as the runner does: collect, and stop a program that
    // stays over the memory limit.
    if (meter_total(memory_meter(state)) > kSoftMemoryLimit) {
      collect(state);
      if (meter_total(memory_meter(state)) > kSoftMemoryLimit) break;
    }
  }
  destroy_state(state);
  return 0;
}
