// The garbage collector: incremental, tri-colour mark and sweep.
//
// A cycle runs in small steps interleaved with the program:
// - Pause: nothing is marked; the first step marks the roots (the global
//   table, the registry, the main and running threads, the fixed strings,
//   the queued finalizers) and starts propagating.
// - Propagate: each step takes gray objects and traces their references,
//   turning them black. Strings have no references and go straight to black.
// - Atomic (one step): traces again, without interruption, everything the
//   program may have changed unseen: the stacks of the reachable threads
//   (stacks are written without barriers), open upvalues, weak tables and
//   tables that were stored into after they turned black. Then weak tables
//   are cleared, unreachable finalizable tables are set aside for their
//   finalizers, and the meaning of the two whites swaps: what is still white
//   is now dead.
// - Sweep: each step walks a stretch of the list of all objects, freeing the
//   dead and whitening the rest. Objects created from the atomic phase on are
//   born in the new white and survive.
// Then the queued finalizers run (outside the collector, by whoever stepped).
//
// Barriers keep "no black object refers to a white one" while propagating:
// a store into a black table turns the table gray again (it is traced again
// in the atomic phase); a store into a black (closed) upvalue marks the
// stored value. Threads and open upvalues are never black before the atomic
// phase, so stack writes need no barrier.
//
// Weak tables ("__mode" containing 'k' and/or 'v') do not keep their weak
// keys or values alive; entries whose weak part dies are removed. A table
// with weak keys only is an ephemeron table: a value is kept only while its
// key is reachable from elsewhere. Strings are values, not references: they
// are never removed from weak tables (and are kept alive by them).
//
// Finalizers: a table given a metatable that has "__gc" at that moment is
// finalizable. When a cycle finds it unreachable it is kept alive (with
// everything it refers to) and queued; the queue runs after the step or
// collection that queued it, calling each "__gc" once with the table
// (errors in finalizers: see run_pending_finalizers). The table is freed by
// a later cycle once nothing refers to it any more. Finalizers still queued
// when the state is destroyed do not run.
//
// Pacing: automatic steps start when the meter passes the threshold. A cycle
// starts once memory grows to `pause` percent of what the last cycle left
// (never below 256 KiB), and each step does `step_multiplier` percent of the
// work the allocation since the last step calls for.
#pragma once

#include "lang/state.h"

namespace tamori::lang {

// ---- Barriers (inline: every table store and upvalue store checks them) ----
void table_barrier_slow(GlobalState* global, TableObject* table);
void upvalue_barrier_slow(GlobalState* global, GcObject* stored);

// After a store into `table` (a value, a new key or a metatable).
inline void table_barrier(GlobalState* global, TableObject* table) {
  if (is_black(table)) table_barrier_slow(global, table);
}

// After storing `value` into `upvalue`.
inline void upvalue_barrier(GlobalState* global, Upvalue* upvalue, const Value& value) {
  if (is_black(upvalue) && is_collectable(value.type) && is_white(value.object)) {
    upvalue_barrier_slow(global, value.object);
  }
}

// A string found by interning while a sweep has not reached it yet may be
// dead; it is in use again.
inline void revive_string(GlobalState* global, StringObject* string) {
  if (string->colour & (global->collector.current_white ^ kWhites)) {
    string->colour = global->collector.current_white;
  }
}

// Makes `table` finalizable (its metatable has "__gc").
void make_finalizable(GlobalState* global, TableObject* table);
// Links a new coroutine into the collector's list of threads.
void link_thread(GlobalState* global, ThreadState* thread);

// ---- Collection ----
// A full collection: finishes or abandons the running cycle, then runs a
// whole one. Does not run finalizers.
void collect_garbage(ThreadState* thread);

// One explicit step: about `size` KiB of allocation's worth of work (plus
// the debt of the automatic pacing while the collector runs); always some
// progress, never past the end of a cycle. Runs the queued finalizers.
// True when the step finished a cycle.
bool collector_step(ThreadState* thread, int size);

// What a safe point does once the meter has passed the threshold (or under
// a stress mode): a paced step, then the queued finalizers.
void collect_at_safe_point(ThreadState* thread);

// Steps the collector when the meter has passed the threshold. Inline:
// calls, table constructors, closures and concatenations check it.
inline void collector_safe_point(ThreadState* thread) {
  const GlobalState* global = thread->global;
  const Collector& collector = global->collector;
  if (collector.running &&
      (global->meter.bytes >= collector.threshold || collector.stress != CollectorStress::Off)) {
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
