#include "lang/trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace tamori::lang {
namespace {

constexpr int32_t raw(double value) { return static_cast<int32_t>(value * 65536.0); }

TEST(NumberTrig, TablesFollowTheirRules) {
  const auto& cosine = cosine_table();
  EXPECT_EQ(cosine[0], 65536);
  EXPECT_EQ(cosine[4096], 0);
  EXPECT_EQ(cosine[2048], 46341);  // cos(pi/4) * 65536 = 46340.95
  const auto& arctangent = arctangent_table();
  EXPECT_EQ(arctangent[0], 0);
  EXPECT_EQ(arctangent[2048], 8192);
  const long double pi = 3.141592653589793238462643383279502884L;
  for (int i = 0; i < kCosineTableSize; ++i) {
    const long double exact = 65536.0L * std::cos(2.0L * pi * i / 16384.0L);
    ASSERT_LT(std::fabs(cosine[i] - exact), 0.5L) << i;
    ASSERT_GT(std::fabs(std::fabs(exact - std::floor(exact)) - 0.5L), 1e-6L) << "near tie at " << i;
    if (i > 0) {
      ASSERT_LE(cosine[i], cosine[i - 1]) << i;
    }
  }
  for (int i = 0; i < kArctangentTableSize; ++i) {
    const long double exact = 65536.0L * std::atan(i / 2048.0L) / (2.0L * pi);
    ASSERT_LT(std::fabs(arctangent[i] - exact), 0.5L) << i;
    if (i > 0) {
      ASSERT_GE(arctangent[i], arctangent[i - 1]) << i;
    }
  }
}

struct AngleCase {
  const char* what;
  int32_t turns;
  int32_t cosine;
  int32_t minus_sine;
};

TEST(NumberTrig, CosineAndSineOfTurns) {
  const std::vector<AngleCase> cases = {
      {"0", 0, raw(1), 0},
      {"0.25", raw(0.25), 0, raw(-1)},
      {"0.5", raw(0.5), raw(-1), 0},
      {"0.75", raw(0.75), 0, raw(1)},
      {"1 (whole turns ignored)", raw(1), raw(1), 0},
      {"-0.25", raw(-0.25), 0, raw(1)},
      {"123.5", raw(123.5), raw(-1), 0},
      {"0.125", raw(0.125), 46341, -46341},
      {"0x0.0001 rounds to step 0", 1, raw(1), 0},
      {"0x0.0002 rounds up to step 1", 2, cosine_table()[1], -25},
      {"-32768", INT32_MIN, raw(1), 0},
  };
  for (const AngleCase& c : cases) {
    EXPECT_EQ(fixed_cos(c.turns), c.cosine) << c.what;
    EXPECT_EQ(fixed_sin(c.turns), c.minus_sine) << c.what;
  }
}

struct Atan2Case {
  double dx;
  double dy;
  int32_t expected;
};

TEST(NumberTrig, Atan2OfDirections) {
  const std::vector<Atan2Case> cases = {
      {1, 0, 0},
      {0, -1, raw(0.25)},
      {-1, 0, raw(0.5)},
      {0, 1, raw(0.75)},
      {1, -1, raw(0.125)},
      {-1, -1, raw(0.375)},
      {-1, 1, raw(0.625)},
      {1, 1, raw(0.875)},
      {0, 0, raw(0.25)},
      {2, -4, 0x4000 - arctangent_table()[0x8000 >> 5]},
  };
  for (const Atan2Case& c : cases) {
    EXPECT_EQ(fixed_atan2(raw(c.dx), raw(c.dy)), c.expected) << c.dx << ", " << c.dy;
  }
  EXPECT_EQ(fixed_atan2(0, INT32_MIN), raw(0.25));
  // The slope just under 1 (dy is moved off -32768) lands one table step short.
  EXPECT_EQ(fixed_atan2(INT32_MIN, INT32_MIN), raw(0.5) - arctangent_table()[2047]);
  EXPECT_EQ(fixed_atan2(1, INT32_MAX), raw(0.75));
}

// The angle atan2 finds points back along the direction it was given.
TEST(NumberTrig, Atan2InvertsCosineAndSine) {
  std::mt19937 random(99);
  for (int i = 0; i < 5000; ++i) {
    const int32_t turns = static_cast<int32_t>(random() & 0xffff);
    const int32_t dx = fixed_cos(turns) * 100;
    const int32_t dy = fixed_sin(turns) * 100;
    const int32_t found = fixed_atan2(dx, dy);
    ASSERT_GE(found, 0);
    ASSERT_LT(found, 0x10000);
    int32_t difference = (found - turns) & 0xffff;
    if (difference > 0x8000) difference -= 0x10000;
    ASSERT_LE(std::abs(difference), 8) << turns;
  }
}

}  // namespace
}  // namespace tamori::lang
