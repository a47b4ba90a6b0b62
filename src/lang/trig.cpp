#include "lang/trig.h"

#include <cmath>

namespace tamori::lang {
namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;

std::array<int32_t, kCosineTableSize> build_cosine_table() {
  std::array<int32_t, kCosineTableSize> table{};
  for (int i = 0; i < kCosineTableSize; ++i) {
    table[i] = static_cast<int32_t>(std::lround(65536.0 * std::cos(kTwoPi * i / 16384.0)));
  }
  return table;
}

std::array<int32_t, kArctangentTableSize> build_arctangent_table() {
  std::array<int32_t, kArctangentTableSize> table{};
  for (int i = 0; i < kArctangentTableSize; ++i) {
    table[i] = static_cast<int32_t>(std::lround(65536.0 * std::atan(i / 2048.0) / kTwoPi));
  }
  return table;
}

// `step` is an angle in 1/16384 turns, 0..0x3fff.
int32_t cosine_of_step(uint32_t step) {
  if (step >= 0x2000) step = 0x4000 - step;
  const auto& table = cosine_table();
  if (step < 0x1000) return table[step];
  return -table[0x2000 - step];
}

}  // namespace

const std::array<int32_t, kCosineTableSize>& cosine_table() {
  static const std::array<int32_t, kCosineTableSize> table = build_cosine_table();
  return table;
}

const std::array<int32_t, kArctangentTableSize>& arctangent_table() {
  static const std::array<int32_t, kArctangentTableSize> table = build_arctangent_table();
  return table;
}

// The + 2 rounds to the nearest of the 16384 steps; a quarter turn ahead
// turns the cosine into minus the sine.
int32_t fixed_cos(int32_t turns) {
  return cosine_of_step(((static_cast<uint32_t>(turns) + 2u) >> 2) & 0x3fffu);
}

int32_t fixed_sin(int32_t turns) {
  return cosine_of_step(((static_cast<uint32_t>(turns) + 0x4002u) >> 2) & 0x3fffu);
}

int32_t fixed_atan2(int32_t dx, int32_t dy) {
  const int64_t y = dy == INT32_MIN ? -0x7fffffff : dy;
  // k is the slope -dy/dx, clamped so that |k| always fits.
  int64_t k;
  if (dx == 0) {
    k = y > 0 ? -0x7fffffff : 0x7fffffff;
  } else {
    k = (-y * 65536) / dx;
    if (k > 0x7fffffff) k = 0x7fffffff;
    if (k < -0x7fffffff) k = -0x7fffffff;
  }
  const uint32_t steepness = static_cast<uint32_t>(k < 0 ? -k : k);
  const bool steep = steepness > 0x10000u;
  // Slopes above 1 use the complementary angle of the reciprocal slope.
  const uint32_t slope = steep ? static_cast<uint32_t>((uint64_t{1} << 32) / steepness) : steepness;
  int32_t angle = arctangent_table()[slope >> 5];
  if (steep) angle = 0x4000 - angle;
  if (k < 0) angle = -angle;
  if (dx < 0) angle += 0x8000;
  return angle & 0xffff;
}

}  // namespace tamori::lang
