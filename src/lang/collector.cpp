#include "lang/collector.h"

#include <string>
#include <vector>

#include "lang/errors.h"
#include "lang/heap.h"
#include "lang/table.h"
#include "lang/interpreter.h"

namespace tamori::lang {
namespace {

// Strings count as values, never as weak references: they are always kept.
bool is_alive(const Value& value) {
  return !is_collectable(value.type) || value.type == ValueType::String || value.object->marked;
}

struct Marker {
  GlobalState* global = nullptr;
  std::vector<GcObject*> gray;
  std::vector<TableObject*> weak_tables;   // weak values, or weak keys and values
  std::vector<TableObject*> ephemerons;    // weak keys only

  void mark_object(GcObject* object) {
    if (!object || object->marked) return;
    object->marked = true;
    if (object->kind != ValueType::String) gray.push_back(object);
  }
  void mark_value(const Value& value) {
    if (is_collectable(value.type)) mark_object(value.object);
  }

  void weakness_of(const TableObject* table, bool* weak_keys, bool* weak_values) {
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
  bool mark_ephemeron_values(TableObject* table) {
    bool marked_any = false;
    for (uint32_t i = 0; i < table->node_count(); i++) {
      TableNode& node = table->nodes[i];
      if (is_nil(node.value) || !is_alive(node.key) || is_alive(node.value)) continue;
      mark_value(node.value);
      marked_any = true;
    }
    return marked_any;
  }

  void traverse_table(TableObject* table) {
    mark_object(table->metatable);
    bool weak_keys, weak_values;
    weakness_of(table, &weak_keys, &weak_values);
    if (weak_keys || weak_values) {
      if (!weak_values) {
        for (uint32_t i = 0; i < table->array_size; i++) mark_value(table->array[i]);
        mark_ephemeron_values(table);
        ephemerons.push_back(table);
        return;
      }
      if (!weak_keys) {
        for (uint32_t i = 0; i < table->node_count(); i++) {
          if (!is_nil(table->nodes[i].value)) mark_value(table->nodes[i].key);
        }
      }
      weak_tables.push_back(table);
      return;
    }
    for (uint32_t i = 0; i < table->array_size; i++) mark_value(table->array[i]);
    for (uint32_t i = 0; i < table->node_count(); i++) {
      const TableNode& node = table->nodes[i];
      // A removed entry keeps its old key, which may already be freed.
      if (is_nil(node.value)) continue;
      mark_value(node.key);
      mark_value(node.value);
    }
  }

  void traverse_thread(ThreadState* thread) {
    // Everything live is below the top: a caller's registers above the slot
    // of the function it is calling are dead, and a Lua frame at a safe
    // point has its top at the end of its registers.
    int limit = thread->top;
    if (limit > thread->stack_size) limit = thread->stack_size;
    for (int i = 0; i < limit; i++) mark_value(thread->stack[i]);
    for (int i = limit; i < thread->stack_size; i++) thread->stack[i] = Value();
    for (Upvalue* up = thread->open_upvalues; up; up = up->next_open) mark_object(up);
    mark_value(thread->error_value);
  }

  void traverse(GcObject* object) {
    switch (object->kind) {
      case ValueType::Table: traverse_table(static_cast<TableObject*>(object)); break;
      case ValueType::LuaClosure: {
        auto* closure = static_cast<LuaClosure*>(object);
        mark_object(closure->prototype);
        for (uint32_t i = 0; i < closure->upvalue_count; i++) mark_object(closure->upvalues()[i]);
        break;
      }
      case ValueType::NativeClosure: {
        auto* closure = static_cast<NativeClosure*>(object);
        for (uint32_t i = 0; i < closure->upvalue_count; i++) mark_value(closure->upvalues()[i]);
        break;
      }
      case ValueType::Upvalue: mark_value(*static_cast<Upvalue*>(object)->location); break;
      case ValueType::Prototype: {
        auto* prototype = static_cast<Prototype*>(object);
        for (const Value& constant : prototype->constants) mark_value(constant);
        for (Prototype* nested : prototype->functions) mark_object(nested);
        break;
      }
      case ValueType::Thread: traverse_thread(static_cast<ThreadState*>(object)); break;
      default: break;
    }
  }

  void propagate() {
    while (!gray.empty()) {
      GcObject* object = gray.back();
      gray.pop_back();
      traverse(object);
    }
  }

  // A value of a weak-keyed table stays only while its key is reachable
  // from elsewhere; marking values can make more keys reachable, so repeat
  // until nothing changes.
  void converge_ephemerons() {
    bool changed = true;
    while (changed) {
      changed = false;
      for (size_t i = 0; i < ephemerons.size(); i++) {
        if (mark_ephemeron_values(ephemerons[i])) {
          changed = true;
          propagate();
        }
      }
    }
  }

  // Removes the entries whose weak key or value is about to be freed.
  void clear_weak_entries() {
    auto clear = [](TableObject* table) {
      for (uint32_t i = 0; i < table->array_size; i++) {
        if (!is_alive(table->array[i])) table->array[i] = Value();
      }
      for (uint32_t i = 0; i < table->node_count(); i++) {
        TableNode& node = table->nodes[i];
        if (!is_nil(node.value) && (!is_alive(node.key) || !is_alive(node.value))) node.value = Value();
      }
    };
    for (TableObject* table : weak_tables) clear(table);
    for (TableObject* table : ephemerons) clear(table);
  }
};

}  // namespace

void collect_garbage(ThreadState* thread) {
  GlobalState* global = thread->global;
  if (global->collecting) return;
  global->collecting = true;
  Marker marker;
  marker.global = global;
  marker.mark_object(global->globals);
  marker.mark_object(global->registry);
  marker.mark_object(global->main_thread);
  // The running thread may be reachable only through native code.
  marker.mark_object(thread);
  for (StringObject* name : global->event_names) marker.mark_object(name);
  marker.mark_object(global->memory_error_message);
  for (TableObject* table : global->pending_finalizers) marker.mark_object(table);
  marker.propagate();
  marker.converge_ephemerons();

  // Unreachable finalizable tables live on until their finalizer has run.
  std::vector<TableObject*> separated;
  for (GcObject* object = global->all_objects; object; object = object->next_object) {
    if (object->kind != ValueType::Table || object->marked) continue;
    auto* table = static_cast<TableObject*>(object);
    if (!table->finalizable) continue;
    table->finalizable = false;
    separated.push_back(table);
  }
  for (TableObject* table : separated) marker.mark_object(table);
  marker.propagate();
  marker.converge_ephemerons();
  marker.clear_weak_entries();

  // Closures that survive may still refer to open upvalues of threads that
  // do not: close those upvalues while every object still exists.
  for (GcObject* object = global->all_objects; object; object = object->next_object) {
    if (object->kind == ValueType::Thread && !object->marked) {
      close_upvalues(static_cast<ThreadState*>(object), 0);
    }
  }

  GcObject** link = &global->all_objects;
  while (GcObject* object = *link) {
    if (object->marked || object->fixed) {
      object->marked = false;
      link = &object->next_object;
    } else {
      *link = object->next_object;
      free_object(global, object);
    }
  }
  global->main_thread->marked = false;
  shrink_stack(global->main_thread);
  for (GcObject* object = global->all_objects; object; object = object->next_object) {
    if (object->kind == ValueType::Thread) shrink_stack(static_cast<ThreadState*>(object));
  }
  global->pending_finalizers.insert(global->pending_finalizers.end(), separated.begin(), separated.end());
  int32_t live = global->meter.bytes;
  global->collector_threshold = live < 128 * 1024 ? 256 * 1024 : live * 2;
  global->collecting = false;
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

void collect_at_safe_point(ThreadState* thread) {
  collect_garbage(thread);
  run_pending_finalizers(thread);
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
