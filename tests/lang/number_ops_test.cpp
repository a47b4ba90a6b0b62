#include "lang/number_ops.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace tamori::lang {
namespace {

constexpr int32_t raw(double value) { return static_cast<int32_t>(value * 65536.0); }
constexpr int32_t bits(uint32_t value) { return static_cast<int32_t>(value); }

struct ArithCase {
  const char* what;
  ArithOp op;
  int32_t a;
  int32_t b;
  int32_t expected;
};

void expect_cases(const std::vector<ArithCase>& cases) {
  for (const ArithCase& c : cases) {
    int32_t result = 0x5a5a5a5a;
    ASSERT_TRUE(number_arith(c.op, c.a, c.b, &result)) << c.what;
    EXPECT_EQ(static_cast<uint32_t>(result), static_cast<uint32_t>(c.expected)) << c.what;
  }
}

TEST(NumberOps, AdditionSubtractionNegationWrap) {
  expect_cases({
      {"1 + 2", ArithOp::Add, raw(1), raw(2), raw(3)},
      {"32767 + 1", ArithOp::Add, raw(32767), raw(1), bits(0x80000000)},
      {"0x7fff.ffff + 0x0.0001", ArithOp::Add, 0x7fffffff, 1, bits(0x80000000)},
      {"-32768 - 1", ArithOp::Sub, bits(0x80000000), raw(1), raw(32767)},
      {"0.5 - 1.25", ArithOp::Sub, raw(0.5), raw(1.25), raw(-0.75)},
      {"-(-32768)", ArithOp::Unm, bits(0x80000000), 0, bits(0x80000000)},
      {"-(1.5)", ArithOp::Unm, raw(1.5), 0, raw(-1.5)},
  });
}

TEST(NumberOps, MultiplicationFloorsAndWraps) {
  expect_cases({
      {"2 * 3", ArithOp::Mul, raw(2), raw(3), raw(6)},
      {"-2 * 3.5", ArithOp::Mul, raw(-2), raw(3.5), raw(-7)},
      {"0x0.0001 * 0.5 floors to 0", ArithOp::Mul, 1, raw(0.5), 0},
      {"-0x0.0001 * 0.5 floors to -0x0.0001", ArithOp::Mul, -1, raw(0.5), -1},
      {"256 * 256 wraps to 0", ArithOp::Mul, raw(256), raw(256), 0},
      {"200 * 200 wraps", ArithOp::Mul, raw(200), raw(200), raw(40000 - 65536)},
      {"-32768 * -32768", ArithOp::Mul, bits(0x80000000), bits(0x80000000), 0},
  });
}

TEST(NumberOps, DivisionPaths) {
  expect_cases({
      {"7 / 2 (whole divisor)", ArithOp::Div, raw(7), raw(2), raw(3.5)},
      {"-0x0.0003 / 2 truncates toward zero", ArithOp::Div, -3, raw(2), -1},
      {"-32768 / 1", ArithOp::Div, bits(0x80000000), raw(1), bits(0x80000000)},
      {"-32768 / -1 clamps", ArithOp::Div, bits(0x80000000), raw(-1), 0x7fffffff},
      {"1 / 0", ArithOp::Div, raw(1), 0, 0x7fffffff},
      {"-1 / 0", ArithOp::Div, raw(-1), 0, bits(0x80000001)},
      {"0 / 0", ArithOp::Div, 0, 0, 0x7fffffff},
      {"1 / 3", ArithOp::Div, raw(1), raw(3), 0x5555},
      {"1 / 0.5", ArithOp::Div, raw(1), raw(0.5), raw(2)},
      {"-1 / 3 truncates toward zero", ArithOp::Div, raw(-1), raw(3), -0x5555},
      {"1 / -3", ArithOp::Div, raw(1), raw(-3), -0x5555},
      {"30000 / 0.5 clamps high", ArithOp::Div, raw(30000), raw(0.5), 0x7fffffff},
      {"-30000 / 0.5 clamps low", ArithOp::Div, raw(-30000), raw(0.5), -0x7fffffff},
      {"1 / 0x0.0001 clamps", ArithOp::Div, raw(1), 1, 0x7fffffff},
  });
}

TEST(NumberOps, IntegerDivisionFloors) {
  expect_cases({
      {"7 \\ 2", ArithOp::Idiv, raw(7), raw(2), raw(3)},
      {"-7 \\ 2", ArithOp::Idiv, raw(-7), raw(2), raw(-4)},
      {"1 \\ 0", ArithOp::Idiv, raw(1), 0, raw(32767)},
      {"-1 \\ 0", ArithOp::Idiv, raw(-1), 0, bits(0x80000000)},
      {"5.5 \\ 0.5", ArithOp::Idiv, raw(5.5), raw(0.5), raw(11)},
  });
}

TEST(NumberOps, ModuloIgnoresDivisorSign) {
  expect_cases({
      {"5 % 3", ArithOp::Mod, raw(5), raw(3), raw(2)},
      {"-5 % 3", ArithOp::Mod, raw(-5), raw(3), raw(1)},
      {"5 % -3", ArithOp::Mod, raw(5), raw(-3), raw(2)},
      {"-5 % -3", ArithOp::Mod, raw(-5), raw(-3), raw(1)},
      {"5.5 % 2", ArithOp::Mod, raw(5.5), raw(2), raw(1.5)},
      {"-6 % 3", ArithOp::Mod, raw(-6), raw(3), 0},
      {"x % 0", ArithOp::Mod, raw(7), 0, 0},
      {"-32768 % 3", ArithOp::Mod, bits(0x80000000), raw(3), raw(1)},
      {"-32768 % -32768", ArithOp::Mod, bits(0x80000000), bits(0x80000000), 0},
      {"5 % -32768", ArithOp::Mod, raw(5), bits(0x80000000), raw(5)},
      {"-5 % -32768", ArithOp::Mod, raw(-5), bits(0x80000000), raw(32763)},
      {"-32768 % 0x0.0003", ArithOp::Mod, bits(0x80000000), 3, 1},
      {"-0.25 % 1", ArithOp::Mod, raw(-0.25), raw(1), raw(0.75)},
  });
}

struct PowerCase {
  const char* what;
  int32_t a;
  int32_t b;
  int32_t expected;
  int cycles;
};

TEST(NumberOps, PowerResultsAndCharges) {
  const std::vector<PowerCase> cases = {
      {"0 ^ 0", 0, 0, raw(1), 0},
      {"5 ^ 0", raw(5), 0, raw(1), 0},
      {"2 ^ 0.5", raw(2), raw(0.5), 0x16a09, 32},
      {"4 ^ 0.5", raw(4), raw(0.5), raw(2), 32},
      {"4 ^ 0.25", raw(4), raw(0.25), 0x16a09, 48},
      {"2 ^ -1", raw(2), raw(-1), raw(0.5), 16},
      {"(-2) ^ 2", raw(-2), raw(2), raw(4), 16},
      {"(-2) ^ 3", raw(-2), raw(3), raw(-8), 16},
      {"2 ^ 15 wraps", raw(2), raw(15), bits(0x80000000), 16},
      {"2 ^ 16 wraps to 0", raw(2), raw(16), 0, 16},
      {"0 ^ -1", 0, raw(-1), 0x7fffffff, 16},
      {"10 ^ -2", raw(10), raw(-2), 0x028f, 16},
      {"3 ^ 1.5", raw(3), raw(1.5), number_multiply(raw(3), number_sqrt(raw(3))), 32},
      {"0.5 ^ -2 (fractional reciprocal)", raw(0.5), raw(-2), raw(4), 16},
      // The first root of a negative base is free and gives 0; later roots of 0 are charged.
      {"(-8) ^ (1/3)", raw(-8), 0x5555, 0, 16 + 15 * 16},
      {"9 ^ 0x0.0001 takes 16 roots", raw(9), 1, number_sqrt(number_sqrt(number_sqrt(number_sqrt(number_sqrt(
                                               number_sqrt(number_sqrt(number_sqrt(number_sqrt(number_sqrt(
                                               number_sqrt(number_sqrt(number_sqrt(number_sqrt(number_sqrt(
                                               number_sqrt(raw(9))))))))))))))))),
       16 + 16 * 16},
  };
  for (const PowerCase& c : cases) {
    int32_t result = 0;
    int cycles = -1;
    ASSERT_TRUE(number_arith(ArithOp::Pow, c.a, c.b, &result, &cycles)) << c.what;
    EXPECT_EQ(static_cast<uint32_t>(result), static_cast<uint32_t>(c.expected)) << c.what;
    EXPECT_EQ(cycles, c.cycles) << c.what;
  }
}

TEST(NumberOps, SquareRootRoundsDown) {
  EXPECT_EQ(number_sqrt(raw(4)), raw(2));
  EXPECT_EQ(number_sqrt(raw(2)), 0x16a09);
  EXPECT_EQ(number_sqrt(raw(0.25)), raw(0.5));
  EXPECT_EQ(number_sqrt(0x7fffffff), 0xb504f3);  // floor(sqrt(2^47 - 2^16)) in 1/65536 steps
  EXPECT_EQ(number_sqrt(1), 0x100);
  EXPECT_EQ(number_sqrt(0), 0);
  EXPECT_EQ(number_sqrt(raw(-4)), 0);
  for (int64_t value = 1; value < 0x7fff0000; value += 0x00f1a7b3 / 7) {
    const uint64_t root = static_cast<uint64_t>(number_sqrt(static_cast<int32_t>(value)));
    const uint64_t square_target = static_cast<uint64_t>(value) << 16;
    EXPECT_LE(root * root, square_target) << value;
    EXPECT_GT((root + 1) * (root + 1), square_target) << value;
  }
}

TEST(NumberOps, BitwiseOperations) {
  expect_cases({
      {"0.5 | 1", ArithOp::Or, raw(0.5), raw(1), raw(1.5)},
      {"3 & 6", ArithOp::And, raw(3), raw(6), raw(2)},
      {"3 ^^ 6", ArithOp::Xor, raw(3), raw(6), raw(5)},
      {"~0", ArithOp::Not, 0, 0, -1},
      {"~-0x0.0001", ArithOp::Not, -1, 0, 0},
  });
}

// One row of the shift table per case, plus the boundaries between rows.
TEST(NumberOps, ShiftsInEveryRange) {
  const int32_t minus_one = raw(-1);
  expect_cases({
      {"1 << 4", ArithOp::Shl, raw(1), raw(4), raw(16)},
      {"1 << 31 (top of range)", ArithOp::Shl, 1, raw(31), bits(0x80000000)},
      {"1 << 32", ArithOp::Shl, raw(1), raw(32), 0},
      {"1 << 1000", ArithOp::Shl, raw(1), raw(1000), 0},
      {"1 << -1", ArithOp::Shl, raw(1), raw(-1), raw(0.5)},
      {"-1 << -31 is logical", ArithOp::Shl, minus_one, raw(-31), 1},
      {"1 << -32", ArithOp::Shl, raw(1), raw(-32), 0},
      {"1 << 1.9 floors the amount", ArithOp::Shl, raw(1), raw(1.9), raw(2)},
      {"1 << -0.5 floors to -1", ArithOp::Shl, raw(1), raw(-0.5), raw(0.5)},
      {"0x8000 >>> 1", ArithOp::Lshr, bits(0x80000000), raw(1), raw(0x4000)},
      {"-1 >>> 31", ArithOp::Lshr, -1, raw(31), 1},
      {"-1 >>> 32", ArithOp::Lshr, -1, raw(32), 0},
      {"1 >>> -4", ArithOp::Lshr, raw(1), raw(-4), raw(16)},
      {"1 >>> -31", ArithOp::Lshr, 1, raw(-31), bits(0x80000000)},
      {"1 >>> -32", ArithOp::Lshr, raw(1), raw(-32), 0},
      {"0x8000 >> 1", ArithOp::Shr, bits(0x80000000), raw(1), raw(-16384)},
      {"1 >> 1", ArithOp::Shr, raw(1), raw(1), raw(0.5)},
      {"-1 >> 31", ArithOp::Shr, minus_one, raw(31), -1},
      {"-1 >> 100", ArithOp::Shr, minus_one, raw(100), -1},
      {"1 >> 32", ArithOp::Shr, raw(1), raw(32), 0},
      {"1 >> -2", ArithOp::Shr, raw(1), raw(-2), raw(4)},
      {"1 >> -31", ArithOp::Shr, 1, raw(-31), bits(0x80000000)},
      {"-1 >> -32", ArithOp::Shr, minus_one, raw(-32), 0},
      {"1 <<> 16", ArithOp::Rotl, raw(1), raw(16), 1},
      {"1 <<> 0", ArithOp::Rotl, raw(1), 0, raw(1)},
      {"1 <<> 32 is a full turn", ArithOp::Rotl, raw(1), raw(32), raw(1)},
      {"1 <<> -1 turns right", ArithOp::Rotl, raw(1), raw(-1), raw(0.5)},
      {"0x0.0001 >>< 1", ArithOp::Rotr, 1, raw(1), bits(0x80000000)},
      {"1 >>< -16", ArithOp::Rotr, raw(1), raw(-16), 1},
      {"1 >>< 33", ArithOp::Rotr, raw(1), raw(33), raw(0.5)},
  });
}

TEST(NumberOps, MemoryReadsAreNotComputedHere) {
  int32_t result = 12345;
  int cycles = 7;
  EXPECT_FALSE(number_arith(ArithOp::Peek, raw(1), 0, &result, &cycles));
  EXPECT_FALSE(number_arith(ArithOp::Peek2, raw(1), 0, &result));
  EXPECT_FALSE(number_arith(ArithOp::Peek4, raw(1), 0, &result));
  EXPECT_EQ(result, 12345);
}

TEST(NumberOps, ComparisonsAreSigned) {
  EXPECT_TRUE(number_less(bits(0x80000000), 0x7fffffff));
  EXPECT_FALSE(number_less(raw(1), raw(1)));
  EXPECT_TRUE(number_less_equal(raw(1), raw(1)));
  EXPECT_TRUE(number_less(-1, 0));
}

}  // namespace
}  // namespace tamori::lang
