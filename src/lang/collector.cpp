#include "lang/collector.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "lang/errors.h"
#include "lang/heap.h"
#include "lang/interpreter.h"
#include "lang/table.h"

namespace tamori::lang {
namespace {

constexpr int32_t kMinimumThreshold = 256 * 1024;
// Allocation between two automatic steps, and the least work of a step.
constexpr int64_t kStepSize = 32 * 1024;
// Objects looked at by one sweep step, and the work each counts for.
constexpr int kSweepBatch = 64;
constexpr int64_t kSweepCost = 16;

uint8_t dead_white(const Collector& collector) { return collector.current_white ^ kWhites; }

void mark_object(GlobalState* global, GcObject* object) {
  if (!object || !is_white(object)) return;
  Collector& collector = global->collector;
  if (object->kind == ValueType::String) {
    object->colour = kBlack;
    collector.work_done += int64_t(sizeof(StringObject)) + static_cast<StringObject*>(object)->length;
    return;
  }
  object->colour = 0;
  collector.gray.push_back(object);
}

void mark_value(GlobalState* global, const Value& value) {
  if (is_collectable(value.type)) mark_object(global, value.object);
}

// Whether a weak reference to this value is about to be dropped. Strings
// count as values: they are kept, so they are marked here.
bool is_cleared(GlobalState* global, const Value& value) {
  if (!is_collectable(value.type)) return false;
  if (value.type == ValueType::String) {
    mark_object(global, value.object);
    return false;
  }
  return is_white(value.object);
}

void weakness_of(GlobalState* global, const TableObject* table, bool* weak_keys, bool* weak_values) {
  *weak_keys = *weak_values = false;
  if (!table->metatable) return;
  const Value& mode = table_get_string(table->metatable, global->event_names[int(Event::Mode)]);
  if (!is_string(mode)) return;
  std::string_view text = string_view_of(as_string(mode));
  *weak_keys = text.find('k') != std::string_view::npos;
  *weak_values = text.find('v') != std::string_view::npos;
}

// Marks the values of a weak-keyed table whose keys are alive; true when
// something new was marked.
bool mark_ephemeron_values(GlobalState* global, TableObject* table) {
  bool marked_any = false;
  for (uint32_t i = 0; i < table->node_count(); i++) {
    TableNode& node = table->nodes[i];
    if (is_nil(node.value) || is_cleared(global, node.key)) continue;
    if (is_collectable(node.value.type) && is_white(node.value.object)) {
      mark_value(global, node.value);
      marked_any = true;
    }
  }
  return marked_any;
}

int64_t table_size(const TableObject* table) {
  return int64_t(sizeof(TableObject)) + int64_t(table->array_size) * int64_t(sizeof(Value)) +
         int64_t(table->node_count()) * int64_t(sizeof(TableNode));
}

void traverse_table(GlobalState* global, TableObject* table) {
  Collector& collector = global->collector;
  collector.work_done += table_size(table);
  mark_object(global, table->metatable);
  bool weak_keys, weak_values;
  weakness_of(global, table, &weak_keys, &weak_values);
  if (weak_keys || weak_values) {
    // What a weak table keeps depends on what the rest of the heap keeps:
    // decided in the atomic phase, when nothing changes any more.
    if (collector.phase == CollectorPhase::Propagate) {
      collector.gray_again.push_back(table);
      return;
    }
    table->colour = kBlack;
    if (!weak_values) {
      for (uint32_t i = 0; i < table->array_size; i++) mark_value(global, table->array[i]);
      mark_ephemeron_values(global, table);
      collector.ephemerons.push_back(table);
      return;
    }
    if (!weak_keys) {
      for (uint32_t i = 0; i < table->node_count(); i++) {
        if (!is_nil(table->nodes[i].value)) mark_value(global, table->nodes[i].key);
      }
    }
    collector.weak_tables.push_back(table);
    return;
  }
  table->colour = kBlack;
  for (uint32_t i = 0; i < table->array_size; i++) mark_value(global, table->array[i]);
  for (uint32_t i = 0; i < table->node_count(); i++) {
    const TableNode& node = table->nodes[i];
    // A removed entry keeps its old key, which may already be freed.
    if (is_nil(node.value)) continue;
    mark_value(global, node.key);
    mark_value(global, node.value);
  }
}

void traverse_thread(GlobalState* global, ThreadState* thread) {
  Collector& collector = global->collector;
  // Everything live is below the top: a caller's registers above the slot
  // of the function it is calling are dead, and a Lua frame at a safe
  // point has its top at the end of its registers.
  int limit = std::min(thread->top, thread->stack_size);
  for (int i = 0; i < limit; i++) mark_value(global, thread->stack[i]);
  for (Upvalue* up = thread->open_upvalues; up; up = up->next_open) mark_object(global, up);
  mark_value(global, thread->error_value);
  collector.work_done += int64_t(sizeof(ThreadState)) + int64_t(thread->stack_size) * int64_t(sizeof(Value));
  if (collector.phase == CollectorPhase::Propagate) {
    // Stacks change without barriers: traced again in the atomic phase.
    collector.gray_again.push_back(thread);
    return;
  }
  // No stale slot above the top may outlive the objects it refers to.
  for (int i = limit; i < thread->stack_size; i++) thread->stack[i] = Value();
  thread->colour = kBlack;
}

void traverse(GlobalState* global, GcObject* object) {
  Collector& collector = global->collector;
  switch (object->kind) {
    case ValueType::Table: traverse_table(global, static_cast<TableObject*>(object)); return;
    case ValueType::Thread: traverse_thread(global, static_cast<ThreadState*>(object)); return;
    case ValueType::LuaClosure: {
      auto* closure = static_cast<LuaClosure*>(object);
      mark_object(global, closure->prototype);
      for (uint32_t i = 0; i < closure->upvalue_count; i++) mark_object(global, closure->upvalues()[i]);
      collector.work_done += int64_t(sizeof(LuaClosure)) + closure->upvalue_count * int64_t(sizeof(Upvalue*));
      break;
    }
    case ValueType::NativeClosure: {
      auto* closure = static_cast<NativeClosure*>(object);
      for (uint32_t i = 0; i < closure->upvalue_count; i++) mark_value(global, closure->upvalues()[i]);
      collector.work_done += int64_t(sizeof(NativeClosure)) + closure->upvalue_count * int64_t(sizeof(Value));
      break;
    }
    case ValueType::Upvalue: {
      auto* upvalue = static_cast<Upvalue*>(object);
      mark_value(global, *upvalue->location);
      collector.work_done += int64_t(sizeof(Upvalue));
      if (upvalue->is_open() && collector.phase == CollectorPhase::Propagate) {
        // Its value lives in a stack slot, written without barriers.
        collector.gray_again.push_back(upvalue);
        return;
      }
      break;
    }
    case ValueType::Prototype: {
      auto* prototype = static_cast<Prototype*>(object);
      for (const Value& constant : prototype->constants) mark_value(global, constant);
      for (Prototype* nested : prototype->functions) mark_object(global, nested);
      collector.work_done += int64_t(sizeof(Prototype)) + int64_t(prototype->code.size() * sizeof(Instruction)) +
                             int64_t(prototype->constants.size() * sizeof(Value));
      break;
    }
    default: break;
  }
  object->colour = kBlack;
}

void propagate_all(GlobalState* global) {
  Collector& collector = global->collector;
  while (!collector.gray.empty()) {
    GcObject* object = collector.gray.back();
    collector.gray.pop_back();
    traverse(global, object);
  }
}

void mark_roots(GlobalState* global, ThreadState* running) {
  mark_object(global, global->globals);
  mark_object(global, global->registry);
  mark_object(global, global->main_thread);
  // The running thread may be reachable only through native code.
  mark_object(global, running);
  for (StringObject* name : global->event_names) mark_object(global, name);
  mark_object(global, global->memory_error_message);
  for (TableObject* table : global->pending_finalizers) mark_object(global, table);
}

// A value of a weak-keyed table stays only while its key is reachable
// from elsewhere; marking values can make more keys reachable, so repeat
// until nothing changes.
void converge_ephemerons(GlobalState* global) {
  Collector& collector = global->collector;
  bool changed = true;
  while (changed) {
    changed = false;
    for (size_t i = 0; i < collector.ephemerons.size(); i++) {
      if (mark_ephemeron_values(global, collector.ephemerons[i])) {
        changed = true;
        propagate_all(global);
      }
    }
  }
}

// Removes the entries whose weak key or value is about to be freed.
void clear_weak_entries(GlobalState* global) {
  auto clear = [global](TableObject* table) {
    for (uint32_t i = 0; i < table->array_size; i++) {
      if (is_cleared(global, table->array[i])) {
        table->array[i] = Value();
        note_array_store(table, i + 1, table->array[i]);
      }
    }
    for (uint32_t i = 0; i < table->node_count(); i++) {
      TableNode& node = table->nodes[i];
      if (is_nil(node.value)) continue;
      // Both are checked, so that a kept string key or value is marked.
      bool key_cleared = is_cleared(global, node.key);
      bool value_cleared = is_cleared(global, node.value);
      if (key_cleared || value_cleared) node.value = Value();
    }
  };
  for (TableObject* table : global->collector.weak_tables) clear(table);
  for (TableObject* table : global->collector.ephemerons) clear(table);
}

// Unreachable finalizable tables live on until their finalizer has run.
std::vector<TableObject*> separate_finalizable(GlobalState* global) {
  std::vector<TableObject*>& finalizable = global->collector.finalizable;
  std::vector<TableObject*> separated;
  auto kept_end = std::partition(finalizable.begin(), finalizable.end(),
                                 [](TableObject* table) { return !is_white(table); });
  separated.assign(kept_end, finalizable.end());
  finalizable.erase(kept_end, finalizable.end());
  for (TableObject* table : separated) {
    table->finalizable = false;
    mark_object(global, table);
  }
  return separated;
}

// Coroutines that did not survive: their open upvalues are closed (reachable
// closures may still use them) and they leave the list of threads; the
// stacks of the survivors shrink back to what they use.
void settle_threads(GlobalState* global) {
  ThreadState** link = &global->collector.threads;
  while (ThreadState* thread = *link) {
    if (is_white(thread)) {
      close_upvalues(thread, 0);
      *link = thread->next_thread;
      thread->next_thread = nullptr;
    } else {
      shrink_stack(thread);
      link = &thread->next_thread;
    }
  }
  shrink_stack(global->main_thread);
}

void enter_sweep(GlobalState* global) {
  Collector& collector = global->collector;
  collector.phase = CollectorPhase::Sweep;
  collector.sweep_cursor = &global->all_objects;
  global->main_thread->colour = collector.current_white;
}

void atomic_phase(GlobalState* global, ThreadState* running) {
  Collector& collector = global->collector;
  collector.phase = CollectorPhase::Atomic;
  mark_roots(global, running);
  // Threads in the middle of a resume are alive whoever refers to them.
  for (ThreadState* thread = collector.threads; thread; thread = thread->next_thread) {
    if (thread->status == ThreadStatus::Running || thread->status == ThreadStatus::Normal) {
      mark_object(global, thread);
    }
  }
  propagate_all(global);
  std::vector<GcObject*> again;
  again.swap(collector.gray_again);
  for (GcObject* object : again) traverse(global, object);
  propagate_all(global);
  converge_ephemerons(global);

  std::vector<TableObject*> separated = separate_finalizable(global);
  propagate_all(global);
  converge_ephemerons(global);
  clear_weak_entries(global);
  settle_threads(global);
  collector.weak_tables.clear();
  collector.ephemerons.clear();
  global->pending_finalizers.insert(global->pending_finalizers.end(), separated.begin(), separated.end());

  // What is still white is dead; everything created from now on survives.
  collector.current_white = dead_white(collector);
  enter_sweep(global);
}

// Frees the dead among the next objects of the list and whitens the rest.
void sweep_some(GlobalState* global) {
  Collector& collector = global->collector;
  const uint8_t dead = dead_white(collector);
  for (int i = 0; i < kSweepBatch && *collector.sweep_cursor; i++) {
    GcObject* object = *collector.sweep_cursor;
    if ((object->colour & dead) && !object->fixed) {
      *collector.sweep_cursor = object->next_object;
      free_object(global, object);
    } else {
      object->colour = collector.current_white;
      collector.sweep_cursor = &object->next_object;
    }
  }
  collector.work_done += kSweepBatch * kSweepCost;
  if (!*collector.sweep_cursor) {
    collector.sweep_cursor = nullptr;
    collector.phase = CollectorPhase::Pause;
  }
}

void start_cycle(GlobalState* global, ThreadState* running) {
  Collector& collector = global->collector;
  collector.gray.clear();
  collector.gray_again.clear();
  collector.weak_tables.clear();
  collector.ephemerons.clear();
  collector.phase = CollectorPhase::Propagate;
  mark_roots(global, running);
}

void single_step(GlobalState* global, ThreadState* running) {
  Collector& collector = global->collector;
  switch (collector.phase) {
    case CollectorPhase::Pause: start_cycle(global, running); break;
    case CollectorPhase::Propagate:
      if (collector.gray.empty()) {
        atomic_phase(global, running);
      } else {
        GcObject* object = collector.gray.back();
        collector.gray.pop_back();
        traverse(global, object);
      }
      break;
    case CollectorPhase::Atomic: break;
    case CollectorPhase::Sweep: sweep_some(global); break;
  }
}

// Steps until `work` is done or the cycle ends; true when it ended.
bool run_steps(ThreadState* thread, int64_t work) {
  GlobalState* global = thread->global;
  Collector& collector = global->collector;
  if (collector.collecting) return false;
  collector.collecting = true;
  collector.work_done = 0;
  do {
    single_step(global, thread);
  } while (collector.work_done < work && collector.phase != CollectorPhase::Pause);
  collector.collecting = false;
  return collector.phase == CollectorPhase::Pause;
}

// The next automatic step: after `pause` percent of what survived once a
// cycle has ended, else after another kStepSize of allocation.
void set_threshold(GlobalState* global) {
  Collector& collector = global->collector;
  int64_t bytes = global->meter.bytes;
  int64_t threshold = collector.phase == CollectorPhase::Pause
                          ? std::max<int64_t>(bytes * collector.pause / 100, kMinimumThreshold)
                          : bytes + kStepSize;
  collector.threshold = int32_t(std::min<int64_t>(threshold, INT32_MAX));
}

int64_t work_for_debt(const Collector& collector, int64_t debt) {
  return std::max<int64_t>(debt, 0) * collector.step_multiplier / 100;
}

}  // namespace

void table_barrier_slow(GlobalState* global, TableObject* table) {
  Collector& collector = global->collector;
  if (collector.phase != CollectorPhase::Propagate) return;
  table->colour = 0;
  collector.gray_again.push_back(table);
}

void upvalue_barrier_slow(GlobalState* global, GcObject* stored) {
  if (global->collector.phase == CollectorPhase::Propagate) mark_object(global, stored);
}

void make_finalizable(GlobalState* global, TableObject* table) {
  if (table->finalizable) return;
  table->finalizable = true;
  global->collector.finalizable.push_back(table);
}

void link_thread(GlobalState* global, ThreadState* thread) {
  thread->next_thread = global->collector.threads;
  global->collector.threads = thread;
}

void collect_garbage(ThreadState* thread) {
  GlobalState* global = thread->global;
  Collector& collector = global->collector;
  if (collector.collecting) return;
  if (collector.phase == CollectorPhase::Propagate) {
    // Abandon the marking: sweeping without swapping the whites frees
    // nothing and leaves every object white for a fresh cycle.
    collector.gray.clear();
    collector.gray_again.clear();
    enter_sweep(global);
  }
  if (collector.phase != CollectorPhase::Pause) run_steps(thread, INT64_MAX);
  run_steps(thread, INT64_MAX);
  set_threshold(global);
}

bool collector_step(ThreadState* thread, int size) {
  GlobalState* global = thread->global;
  Collector& collector = global->collector;
  int64_t debt = int64_t(size) * 1024;
  if (collector.running) debt += std::max<int64_t>(int64_t(global->meter.bytes) - collector.threshold, 0);
  bool finished = run_steps(thread, work_for_debt(collector, debt));
  set_threshold(global);
  run_pending_finalizers(thread);
  return finished;
}

void collect_at_safe_point(ThreadState* thread) {
  GlobalState* global = thread->global;
  Collector& collector = global->collector;
  switch (collector.stress) {
    case CollectorStress::FullCollection: collect_garbage(thread); break;
    case CollectorStress::Step: run_steps(thread, collector.stress_step_work); break;
    case CollectorStress::Off: {
      int64_t debt = int64_t(global->meter.bytes) - collector.threshold + kStepSize;
      run_steps(thread, work_for_debt(collector, debt));
      set_threshold(global);
      break;
    }
  }
  run_pending_finalizers(thread);
}

namespace {

// The error a failed finalizer raises: its message when it is a string.
std::string finalizer_error_text(const Value& error) {
  std::string message = "no message";
  if (is_string(error)) message = string_view_of(as_string(error));
  return "error in __gc metamethod (" + message + ")";
}

}  // namespace

void run_pending_finalizers(ThreadState* thread) {
  GlobalState* global = thread->global;
  if (global->running_finalizers || global->pending_finalizers.empty()) return;
  const bool errors_can_be_caught = !thread->frames.empty();
  global->running_finalizers = true;
  while (!global->pending_finalizers.empty()) {
    TableObject* table = global->pending_finalizers.front();
    global->pending_finalizers.erase(global->pending_finalizers.begin());
    Value handler;
    if (table->metatable) {
      handler = table_get_string(table->metatable, global->event_names[int(Event::Gc)]);
    }
    if (!is_function(handler)) continue;
    int slot = thread->top;
    try {
      ensure_stack(thread, 2);
    } catch (...) {
      break;
    }
    thread->stack[slot] = handler;
    thread->stack[slot + 1] = table_value(table);
    thread->top = slot + 2;
    RunStatus status = protected_call_at(thread, slot, 0);
    Value error = thread->stack[slot];
    thread->top = slot;
    if (status == RunStatus::Error && errors_can_be_caught) {
      global->running_finalizers = false;
      throw_error_message(thread, finalizer_error_text(error));
    }
  }
  global->running_finalizers = false;
}

void free_all_objects(GlobalState* global) {
  GcObject* object = global->all_objects;
  global->all_objects = nullptr;
  while (object) {
    GcObject* next = object->next_object;
    free_object(global, object);
    object = next;
  }
}

}  // namespace tamori::lang
