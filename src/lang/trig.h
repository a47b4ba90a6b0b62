// Turn-based trigonometry on 16.16 values through two lookup tables that are
// computed once by rule: a quarter-wave cosine table of 16384 steps per turn
// and an arctangent table over slopes 0..1.
#pragma once

#include <array>
#include <cstdint>

namespace tamori::lang {

constexpr int kCosineTableSize = 4097;      // entry i = round(65536 * cos(2*pi*i / 16384))
constexpr int kArctangentTableSize = 2049;  // entry i = round(65536 * atan(i / 2048) / (2*pi))

const std::array<int32_t, kCosineTableSize>& cosine_table();
const std::array<int32_t, kArctangentTableSize>& arctangent_table();

// Cosine of `turns` (1.0 = a full circle); only the low 16 bits matter.
int32_t fixed_cos(int32_t turns);

// Minus the sine of `turns`, because screen y points down: sin(0.25) = -1.
int32_t fixed_sin(int32_t turns);

// The angle in turns, in [0, 1), whose cos and sin point along (dx, dy).
int32_t fixed_atan2(int32_t dx, int32_t dy);

}  // namespace tamori::lang
