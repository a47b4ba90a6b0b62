#include "lang/collector.h"

#include <vector>

#include "lang/heap.h"
#include "lang/interpreter.h"

namespace tamori::lang {
namespace {

struct Marker {
  std::vector<GcObject*> gray;

  void mark_object(GcObject* object) {
    if (!object || object->marked) return;
    object->marked = true;
    if (object->kind != ValueType::String) gray.push_back(object);
  }
  void mark_value(const Value& value) {
    if (is_collectable(value.type)) mark_object(value.object);
  }

  void traverse_table(TableObject* table) {
    mark_object(table->metatable);
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
    int limit = thread->top;
    for (const CallFrame& frame : thread->frames) {
      if (frame.top > limit) limit = frame.top;
    }
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
};

}  // namespace

void collect_garbage(ThreadState* thread) {
  GlobalState* global = thread->global;
  Marker marker;
  marker.mark_object(global->globals);
  marker.mark_object(global->registry);
  marker.mark_object(global->main_thread);
  // The running thread may be reachable only through native code.
  marker.mark_object(thread);
  for (StringObject* name : global->event_names) marker.mark_object(name);
  marker.mark_object(global->memory_error_message);
  marker.propagate();

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
  int32_t live = global->meter.bytes;
  global->collector_threshold = live < 128 * 1024 ? 256 * 1024 : live * 2;
}

void collector_safe_point(ThreadState* thread) {
  GlobalState* global = thread->global;
  if (!global->collector_enabled) return;
  if (global->meter.bytes >= global->collector_threshold || global->collect_at_every_safe_point) {
    collect_garbage(thread);
  }
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
