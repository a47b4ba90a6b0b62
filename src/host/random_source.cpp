#include "host/random_source.h"

namespace tamori::host {

uint32_t ruvo_random(RandomSource& source, uint32_t range) {
  source.high = ((source.high << 16) | (source.high >> 16)) + source.low;
  source.low += source.high;
  return range == 0 ? 0 : source.high % range;
}

}  // namespace tamori::host
