// Small helpers on raw 16.16 values: the integer view used wherever a whole
// number is needed, making a number from a whole number, and the exact
// double used for display.
#pragma once

#include <cstdint>

namespace tamori::lang {

constexpr int32_t kFixedOne = 0x10000;

// The integer part, floored: -0.5 gives -1.
constexpr int32_t fixed_to_int(int32_t raw) { return raw >> 16; }

// A whole number as a 16.16 value; only its low 16 bits survive (65536 gives 0).
constexpr int32_t fixed_from_int(int32_t whole) {
  return static_cast<int32_t>(static_cast<uint32_t>(whole) << 16);
}

// The exact value as a double (every 16.16 value is representable).
constexpr double fixed_to_double(int32_t raw) { return raw / 65536.0; }

// Raw bits as a value, and back, without implementation-defined conversions.
constexpr int32_t fixed_from_bits(uint32_t bits) { return static_cast<int32_t>(bits); }
constexpr uint32_t fixed_bits(int32_t raw) { return static_cast<uint32_t>(raw); }

}  // namespace tamori::lang
