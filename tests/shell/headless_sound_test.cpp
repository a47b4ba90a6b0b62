// The measures the golden sound tests and tamori_run report of a recording.
#include <gtest/gtest.h>

#include "host/sha1.h"
#include "shell/headless_sound.h"

namespace tamori::shell {
namespace {

TEST(HeadlessSound, HashesLittleEndianSamplesAndMeasuresLoudness) {
  const std::vector<int16_t> samples = {0x0102, -2, 3, -4};
  const uint8_t bytes[] = {0x02, 0x01, 0xfe, 0xff, 0x03, 0x00, 0xfc, 0xff};
  EXPECT_EQ(sound_sha1_hex(samples), host::sha1_hex(bytes, sizeof bytes));
  EXPECT_EQ(sound_sha1_hex({}), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(sound_peak(samples), 0x0102);
  EXPECT_EQ(sound_peak({-32768, 5}), 32768);
  EXPECT_EQ(sound_rms({3, -4, 3, -4}), 4);  // sqrt(12.5) rounds to 4
  EXPECT_EQ(sound_rms({-32768, -32768}), 32768);
  EXPECT_EQ(sound_rms({}), 0);
}

}  // namespace
}  // namespace tamori::shell
