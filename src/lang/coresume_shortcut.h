// The coresume shortcut. The prelude's `coresume` wrapper, once its inner
// resume has returned, runs a dozen instructions and four native calls:
// pack the results, read the escape flag, clear it, unpack the results and
// return them. When the escape flag is clear the outcome of all that is
// known in advance, and when no cycle check can fire on the way it has no
// other effect than its cycle charges. The `__coresume` native then finishes
// the wrapper's call itself: it charges exactly those cycles (the
// instructions' and the `spend_cpu` of pack and unpack) and returns the
// results from the wrapper's frame; the flag, clear already, stays so. In
// every other case (a check could fire or a superyield is pending, the flag
// is set, the caller is not that code at that place, or one of its natives
// was replaced) the wrapper runs on as written. The only difference left is
// that no results table is allocated, so the collector runs a little later.
#pragma once

#include "lang/state.h"

namespace tamori::lang {

// Called by `__coresume` with its `result_count` results on top of the
// stack. Returns true when it has finished the native's call and the
// wrapper's; the native then returns kNativeFinishedItsCaller.
bool finish_coresume_wrapper(ThreadState* thread, int result_count);

}  // namespace tamori::lang
