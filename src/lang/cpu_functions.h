// The cartridge functions that reach the cycle counter and the cycle check
// directly: `__refund_cpu__`, `__yielded_to_escape_slice` and
// `__superyield`. The prelude keeps private copies and removes the globals.
#pragma once

#include "lang/state.h"

namespace tamori::lang {

void open_cpu_functions(ThreadState* state);

}  // namespace tamori::lang
