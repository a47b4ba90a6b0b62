// The runner's non-graphic built-ins: time / t, rnd, srand, stat, trace,
// scoresub, and the plain print that stands in until text printing
// registers the real one.
#pragma once

#include <cstdint>
#include <optional>

#include "runner/language.h"

namespace tamori::runner {

void register_system_functions(ThreadState* state);

// Other subsystems answer their own stat indices (sound, input) without
// the runner knowing them: a provider pushes one value and returns true
// when the index is its own, or pushes nothing and returns false. stat asks
// the providers before its own answers. Adding a provider twice keeps one.
using StatProvider = bool (*)(ThreadState* thread, int index);
void add_stat_provider(StatProvider provider);

// The value stat(n) gives for the indexes answered without the language
// state (numbers only); nothing for the others.
std::optional<int32_t> numeric_stat(int n);

}  // namespace tamori::runner
