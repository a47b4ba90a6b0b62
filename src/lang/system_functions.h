// The runner's non-graphic built-ins: time / t, rnd, srand, stat, trace,
// scoresub, and the plain print that stands in until text printing
// registers the real one.
#pragma once

#include <cstdint>
#include <optional>

#include "lang/state.h"

namespace tamori::lang {

void register_system_functions(ThreadState* state);

// The value stat(n) gives for the indexes answered without the language
// state (numbers only); nothing for the others.
std::optional<int32_t> numeric_stat(int n);

}  // namespace tamori::lang
