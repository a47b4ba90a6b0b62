#include "lang/cpu_counters.h"

#include <cstdint>

namespace tamori::lang {

CpuCounters cpu_counters;

int32_t lua_get_cpu_cycles() {
  return int32_t(uint32_t(cpu_counters.cpu_cycles_slice) + uint32_t(cpu_counters.cpu_cycles_frame));
}

void lua_add_cpu_cycles(int32_t cycles) { charge_cycles(cycles); }

namespace {

// The least slice at which `(slice | superyield) > max` can hold. Where no
// such bound describes the condition exactly, a lower one: the check then
// fires early and the exact test lets the instruction run.
int32_t check_from(int32_t superyield, int32_t max) {
  if (max == INT32_MAX) return INT32_MAX;  // never holds
  if (superyield == 0) return max + 1;
  // With bit 30 set, every slice from 0 up passes a max below 2^30, and no
  // negative slice passes a max of 0 or more.
  if (max >= 0 && max < superyield) return 0;
  return INT32_MIN;
}

void update_check_from() {
  cpu_counters.cpu_check_from = check_from(cpu_counters.cpu_superyield, cpu_counters.cpu_cycles_slice_max);
}

}  // namespace

void lua_set_cpu_cycles_slice_max(int32_t cycles) {
  cpu_counters.cpu_cycles_slice_max = cycles;
  update_check_from();
}

void lua_reset_cpu_cycles() {
  cpu_counters.cpu_cycles_slice = 0;
  cpu_counters.cpu_cycles_frame = 0;
}

void lua_cpu_prepare_for_slice() {
  cpu_counters.cpu_cycles_frame = lua_get_cpu_cycles();
  cpu_counters.cpu_cycles_slice = 0;
}

void lua_cpu_prepare_for_resume() { lua_cpu_cancel_superyield(); }

void lua_cpu_superyield() {
  cpu_counters.cpu_superyield = kSuperyieldRequest;
  update_check_from();
}

void lua_cpu_cancel_superyield() {
  cpu_counters.cpu_superyield = 0;
  update_check_from();
}

namespace {
void spend(int32_t n, int32_t multiplier) {
  if (n < 0) return;
  int32_t cycles = (n >= 2 ? n : 1);
  int32_t charge = int32_t(uint32_t(cycles) * uint32_t(multiplier));
  charge_cycles(charge);
  cpu_counters.system_cycles += charge;
}
}  // namespace

void spend_cpu(int32_t n) { spend(n, 2); }
void spend_cpu_8MHz(int32_t n) { spend(n, 1); }

}  // namespace tamori::lang
