// A few language functions the prelude and the test cartridges need, for
// the runner tests only: the real language library is registered by
// lang/library.h once it is part of the build.
#pragma once

#include "lang/state.h"

namespace tamori::shell::testing {

void register_cart_test_library(lang::ThreadState* state);

}  // namespace tamori::shell::testing
