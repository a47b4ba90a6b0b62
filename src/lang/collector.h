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
// tables.
//
// Finalizers: a table given a metatable that has "__gc" at that moment is
// finalizable. When a collection finds it unreachable it is kept alive (with
// everything it refers to) and queued; the queue runs at the end of the
// next safe point or explicit collection, calling each "__gc" once with the
// table (errors in finalizers are ignored). The table is freed by a later
// collection once nothing refers to it any more. Finalizers still queued
// when the state is destroyed do not run.
#pragma once

#include "lang/state.h"

namespace tamori::lang {

// Collects everything unreachable from the roots; sets the next automatic
// threshold from what survived. Does not run finalizers.
void collect_garbage(ThreadState* thread);

// A full collection and the finalizers, for collector_safe_point.
void collect_at_safe_point(ThreadState* thread);

// Runs a collection when the meter has passed the collector's threshold.
// Inline: calls, table constructors, closures and concatenations check it.
inline void collector_safe_point(ThreadState* thread) {
  const GlobalState* global = thread->global;
  if (global->collector_enabled &&
      (global->meter.bytes >= global->collector_threshold || global->collect_at_every_safe_point)) {
    collect_at_safe_point(thread);
  }
}

// Runs the queued finalizers on `thread` (not while one is already running).
// A finalizer that fails raises "error in __gc metamethod (MESSAGE)" in the
// code that started the collection, leaving the remaining ones queued for
// the next run; with nothing running on the thread (a collection by the
// host between slices) there is nobody to catch it, and the error is dropped.
void run_pending_finalizers(ThreadState* thread);

// Frees every object of the state (when it is destroyed).
void free_all_objects(GlobalState* global);

}  // namespace tamori::lang
