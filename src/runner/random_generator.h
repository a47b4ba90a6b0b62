// The console's random generator: two 32-bit words (hi, lo), readable as
// memory at 0x5f44..0x5f4b.
#pragma once

#include <cstdint>

namespace tamori::runner {

// One step; returns the new hi.
uint32_t random_step(uint32_t* state);
// 0 without a step when x is 0, else a step's output modulo x.
uint32_t random_below(uint32_t* state, uint32_t x);
// srand's seeding: s = seed & 0x7fffffff (0 becomes 0xdeadbeef), hi = s ^
// 0xbead29ba, lo = s, then 32 steps.
void random_seed(uint32_t* state, uint32_t seed);

}  // namespace tamori::runner
