// The framework's random source: two 32-bit words mixed by rotate and add.
// It is cheap and deterministic; the synthesiser's noise draws from it, so a
// given seed always produces the same sound.
#pragma once

#include <cstdint>

namespace tamori::host {

struct RandomSource {
  uint32_t high = 0xdeadbeef;
  uint32_t low = 0x01234567;
};

// Advances the source and returns a value in 0..range-1 (0 when range is 0).
uint32_t ruvo_random(RandomSource& source, uint32_t range);

}  // namespace tamori::host
