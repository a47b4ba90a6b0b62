// The garbage collector: a stop-the-world mark and sweep.
//
// Roots are the global table, the registry, the main thread and the fixed
// strings. Marking is iterative (a gray list of objects whose references are
// still to be marked), so deep structures never recurse on the native stack.
// A thread marks its stack below its top and clears every slot above, so
// that no stale slot can refer to an object freed by a later sweep. Before the sweep, the open upvalues of unreachable threads
// are closed, since reachable closures may still use them.
//
// Weak tables ("__mode" containing 'k' and/or 'v') do not keep their weak
// keys or values alive; entries whose weak part dies are removed. A table
// with weak keys only is an ephemeron table: a value is kept only while its
// key is reachable from elsewhere. Strings are never removed from weak
// tables. Finalizers ("__gc") are not supported: no finalizer runs.
#pragma once

#include "lang/state.h"

namespace tamori::lang {

// Collects everything unreachable from the roots; sets the next automatic
// threshold from what survived.
void collect_garbage(ThreadState* thread);

// Frees every object of the state (when it is destroyed).
void free_all_objects(GlobalState* global);

}  // namespace tamori::lang
