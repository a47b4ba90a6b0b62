#include "host/sha1.h"

#include <gtest/gtest.h>

#include <string>

namespace tamori::host {
namespace {

struct Sha1Vector {
  std::string message;
  int repeat;
  const char* expected_hex;
};

// The four test vectors of RFC 3174, plus the empty message and lengths
// around the 55/56/64-byte padding boundaries.
const Sha1Vector kVectors[] = {
    {"abc", 1, "a9993e364706816aba3e25717850c26c9cd0d89d"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 1,
     "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
    {"a", 1000000, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    {"0123456701234567012345670123456701234567012345670123456701234567", 10,
     "dea356a2cddd90c7a7ecedc5ebb563934f460452"},
    {"", 1, "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
    {"a", 55, "c1c8bbdc22796e28c0e15163d20899b65621d65a"},
    {"a", 56, "c2db330f6083854c99d4b5bfb6e8f29f201be699"},
    {"a", 64, "0098ba824b5c16427bd7a1122a5a442a25ec644d"},
};

TEST(Sha1, MatchesKnownVectors) {
  for (const Sha1Vector& vector : kVectors) {
    std::string message;
    for (int i = 0; i < vector.repeat; ++i) message += vector.message;
    EXPECT_EQ(sha1_hex(sha1(message)), vector.expected_hex) << vector.message << " x" << vector.repeat;
  }
}

TEST(Sha1, PiecewiseInputGivesTheSameDigest) {
  std::string message;
  for (int i = 0; i < 1000; ++i) message += char(i * 7);
  Sha1Digest whole = sha1(message);
  for (size_t piece : {1u, 3u, 63u, 64u, 65u, 200u}) {
    Sha1State state;
    sha1_begin(state);
    for (size_t offset = 0; offset < message.size(); offset += piece) {
      size_t size = std::min(piece, message.size() - offset);
      sha1_add(state, message.data() + offset, size);
    }
    EXPECT_EQ(sha1_finish(state), whole) << "piece size " << piece;
  }
}

}  // namespace
}  // namespace tamori::host
