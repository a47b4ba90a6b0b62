#include "lang/cpu_counters.h"

namespace tamori::lang {

CpuCounters cpu_counters;

int32_t lua_get_cpu_cycles() {
  return int32_t(uint32_t(cpu_counters.cpu_cycles_slice) + uint32_t(cpu_counters.cpu_cycles_frame));
}

void lua_add_cpu_cycles(int32_t cycles) { charge_cycles(cycles); }

void lua_set_cpu_cycles_slice_max(int32_t cycles) { cpu_counters.cpu_cycles_slice_max = cycles; }

void lua_reset_cpu_cycles() {
  cpu_counters.cpu_cycles_slice = 0;
  cpu_counters.cpu_cycles_frame = 0;
}

void lua_cpu_prepare_for_slice() {
  cpu_counters.cpu_cycles_frame = lua_get_cpu_cycles();
  cpu_counters.cpu_cycles_slice = 0;
}

void lua_cpu_prepare_for_resume() { cpu_counters.cpu_superyield = 0; }

void lua_cpu_superyield() { cpu_counters.cpu_superyield = kSuperyieldRequest; }

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
