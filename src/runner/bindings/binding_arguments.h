// Lenient argument reading shared by the console's drawing bindings: a nil
// or missing optional number is "not given" (the core function then uses
// its default), anything else is read as a number the lenient way.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

#include "runner/language.h"
#include "lang/cpu_counters.h"

namespace tamori::runner {

inline std::optional<int32_t> optional_raw_number(ThreadState* thread, int index) {
  if (type_at(thread, index) == ValueType::Nil) return std::nullopt;
  return raw_number_at(thread, index);
}

inline std::optional<int32_t> optional_integer(ThreadState* thread, int index) {
  if (type_at(thread, index) == ValueType::Nil) return std::nullopt;
  return integer_at(thread, index);
}

inline std::optional<int32_t> fast_optional_raw_number(ThreadState* thread, int index) {
  if (is_nil(fast_argument(thread, index))) return std::nullopt;
  return fast_raw_number(thread, index);
}

// Integer part of a fast function's argument (floor, as integer_at).
inline int32_t fast_integer(ThreadState* thread, int index) { return fast_raw_number(thread, index) >> 16; }

// Charges the cycles a core drawing function reported (at least one).
inline void charge_drawing(int64_t cycles) { spend_cpu_8MHz(int32_t(std::clamp<int64_t>(cycles, 0, INT32_MAX))); }

}  // namespace tamori::runner
