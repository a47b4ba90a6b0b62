#include "runner/random_generator.h"

namespace tamori::runner {

uint32_t random_step(uint32_t* state) {
  uint32_t& hi = state[0];
  uint32_t& lo = state[1];
  hi = ((hi << 16) | (hi >> 16)) + lo;
  lo += hi;
  return hi;
}

uint32_t random_below(uint32_t* state, uint32_t x) {
  if (x == 0) return 0;
  return random_step(state) % x;
}

void random_seed(uint32_t* state, uint32_t seed) {
  uint32_t s = seed & 0x7fffffff;
  if (s == 0) s = 0xdeadbeef;
  state[0] = s ^ 0xbead29ba;
  state[1] = s;
  for (int i = 0; i < 32; i++) random_step(state);
}

}  // namespace tamori::runner
