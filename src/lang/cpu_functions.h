// The cartridge functions that reach the cycle counter and the cycle check
// directly: `__refund_cpu__`, `__yielded_to_escape_slice` and
// `__superyield`. The prelude keeps private copies and removes the globals.
#pragma once

#include "lang/state.h"

namespace tamori::lang {

void open_cpu_functions(ThreadState* state);

// __yielded_to_escape_slice([v]): one number sets the calling coroutine's
// escape flag to flr(v); anything else reads it as a boolean. The program
// runner registers this one too.
int yielded_to_escape_slice(ThreadState* thread);

}  // namespace tamori::lang
