// The framework's random source: the exact sequence matters, because the
// synthesiser's noise must sound the same on every run.
#include "host/random_source.h"

#include <gtest/gtest.h>

namespace tamori::host {
namespace {

TEST(RandomSource, FollowsTheRotateAndAddSequence) {
  struct Case {
    uint32_t range;
    uint32_t expected;
  };
  // hi = rotl(hi, 16) + lo, lo += hi, from 0xdeadbeef and 0x01234567:
  // hi runs 0xc0132414, 0xe54b298e, 0xd0107854, 0xeee6db6d, 0x40e6d5b0.
  const Case cases[] = {{100, 92}, {100, 2}, {1000, 308}, {0, 0}, {7, 5}};
  RandomSource source;
  for (const Case& c : cases) EXPECT_EQ(ruvo_random(source, c.range), c.expected) << c.range;
}

}  // namespace
}  // namespace tamori::host
