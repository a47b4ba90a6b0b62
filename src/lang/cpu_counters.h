// The process-wide CPU cycle counters of the cartridge language. The
// interpreter charges every instruction to cpu_cycles_slice before running
// it and suspends the running coroutine when the slice passes its budget
// (lang/interpreter.cpp); the program runner owns the budget and the slices.
// Only the thread that runs the language touches these plain integers.
#pragma once

#include <cstdint>

namespace tamori::lang {

inline constexpr int32_t kDefaultSliceMax = 0x22222;

struct CpuCounters {
  int32_t cpu_cycles_slice = 0;       // charged since the slice began (refunds may go negative)
  int32_t cpu_cycles_frame = 0;       // earlier slices of the current frame
  int32_t cpu_cycles_slice_max = kDefaultSliceMax;
  int32_t cpu_superyield = 0;         // 0x40000000 while a suspension is requested
  // The interpreter's cycle check fires when `(slice | superyield) > max`.
  // It tests that as one comparison, `slice >= cpu_check_from`, and then
  // the exact condition. Kept by the functions below that set the two.
  int32_t cpu_check_from = kDefaultSliceMax + 1;
  int64_t system_cycles = 0;          // the runner's total; spend_cpu adds to it too
};

extern CpuCounters cpu_counters;

inline constexpr int32_t kSuperyieldRequest = 0x40000000;

int32_t lua_get_cpu_cycles();
void lua_add_cpu_cycles(int32_t cycles);
void lua_set_cpu_cycles_slice_max(int32_t cycles);
void lua_reset_cpu_cycles();
void lua_cpu_prepare_for_slice();
void lua_cpu_prepare_for_resume();
void lua_cpu_superyield();
// Drops a suspension request that cannot be honoured.
void lua_cpu_cancel_superyield();
// Charges 2·max(n, 1) cycles (nothing for negative n) to the slice and to the
// system cycles.
void spend_cpu(int32_t n);
// As spend_cpu, charging max(n, 1) cycles.
void spend_cpu_8MHz(int32_t n);

// Wrapping addition on the slice counter (a long run never overflows into
// undefined behaviour).
inline void charge_cycles(int32_t cycles) {
  cpu_counters.cpu_cycles_slice =
      int32_t(uint32_t(cpu_counters.cpu_cycles_slice) + uint32_t(cycles));
}

}  // namespace tamori::lang
