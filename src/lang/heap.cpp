#include "lang/heap.h"

#include <cstring>
#include <new>

#include "lang/collector.h"
#include "lang/errors.h"
#include "lang/table.h"

namespace tamori::lang {
namespace {

constexpr uint32_t kStringSeed = 0;
constexpr int kInitialStringBuckets = 128;

void* allocate_or_throw(ThreadState* thread, size_t size, ChargeKind kind) {
  void* block = meter_allocate(thread->global->meter, size, kind);
  if (!block) throw_memory_error(thread);
  return block;
}

// Links a freshly constructed object into the list of all objects.
template <typename T>
T* link_object(ThreadState* thread, T* object, ValueType kind) {
  GlobalState* global = thread->global;
  object->kind = kind;
  object->colour = global->collector.current_white;
  object->next_object = global->all_objects;
  global->all_objects = object;
  return object;
}

void resize_string_buckets(GlobalState* global, size_t bucket_count) {
  std::vector<StringObject*> buckets(bucket_count, nullptr);
  for (StringObject* head : global->string_buckets) {
    while (head) {
      StringObject* next = head->next_in_bucket;
      StringObject*& slot = buckets[head->hash & (bucket_count - 1)];
      head->next_in_bucket = slot;
      slot = head;
      head = next;
    }
  }
  global->string_buckets.swap(buckets);
}

}  // namespace

const char* type_name(ValueType type) {
  switch (type) {
    case ValueType::Nil: return "nil";
    case ValueType::Boolean: return "boolean";
    case ValueType::Number: return "number";
    case ValueType::String: return "string";
    case ValueType::Table: return "table";
    case ValueType::LightNative:
    case ValueType::FastFunction:
    case ValueType::LuaClosure:
    case ValueType::NativeClosure: return "function";
    case ValueType::Thread: return "thread";
    case ValueType::Upvalue: return "upvalue";
    case ValueType::Prototype: return "proto";
  }
  return "?";
}

// Mixes every byte of short texts and a sample of at most 32 bytes of long
// ones, from the end backwards.
uint32_t hash_bytes(std::string_view text) {
  uint32_t length = uint32_t(text.size());
  uint32_t hash = kStringSeed ^ length;
  uint32_t step = (length >> 5) + 1;
  for (uint32_t remaining = length; remaining >= step; remaining -= step) {
    hash ^= (hash << 5) + (hash >> 2) + uint8_t(text[remaining - 1]);
  }
  return hash;
}

StringObject* intern_string(ThreadState* thread, std::string_view text) {
  GlobalState* global = thread->global;
  if (global->string_buckets.empty()) resize_string_buckets(global, kInitialStringBuckets);
  uint32_t hash = hash_bytes(text);
  size_t mask = global->string_buckets.size() - 1;
  for (StringObject* s = global->string_buckets[hash & mask]; s; s = s->next_in_bucket) {
    if (s->hash == hash && s->length == text.size() &&
        std::memcmp(s->bytes(), text.data(), text.size()) == 0) {
      revive_string(global, s);
      return s;
    }
  }
  if (text.size() > size_t(kHardMemoryLimit)) throw_memory_error(thread);
  void* block = allocate_or_throw(thread, sizeof(StringObject) + text.size() + 1, ChargeKind::String);
  auto* s = link_object(thread, new (block) StringObject(), ValueType::String);
  s->hash = hash;
  s->length = uint32_t(text.size());
  if (!text.empty()) std::memcpy(s->bytes(), text.data(), text.size());
  s->bytes()[text.size()] = 0;
  StringObject*& bucket = global->string_buckets[hash & mask];
  s->next_in_bucket = bucket;
  bucket = s;
  global->string_count++;
  if (global->string_count > global->string_buckets.size()) {
    resize_string_buckets(global, global->string_buckets.size() * 2);
  }
  return s;
}

Prototype* new_prototype(ThreadState* thread) {
  void* block = allocate_or_throw(thread, sizeof(Prototype), ChargeKind::Flat32);
  return link_object(thread, new (block) Prototype(), ValueType::Prototype);
}

LuaClosure* new_lua_closure(ThreadState* thread, Prototype* prototype, int upvalue_count) {
  size_t size = sizeof(LuaClosure) + sizeof(Upvalue*) * size_t(upvalue_count);
  void* block = allocate_or_throw(thread, size, ChargeKind::HalfSize);
  auto* closure = link_object(thread, new (block) LuaClosure(), ValueType::LuaClosure);
  closure->prototype = prototype;
  closure->upvalue_count = uint32_t(upvalue_count);
  for (int i = 0; i < upvalue_count; i++) closure->upvalues()[i] = nullptr;
  return closure;
}

NativeClosure* new_native_closure(ThreadState* thread, NativeFunction function, int upvalue_count) {
  size_t size = sizeof(NativeClosure) + sizeof(Value) * size_t(upvalue_count);
  void* block = allocate_or_throw(thread, size, ChargeKind::HalfSize);
  auto* closure = link_object(thread, new (block) NativeClosure(), ValueType::NativeClosure);
  closure->function = function;
  closure->upvalue_count = uint32_t(upvalue_count);
  for (int i = 0; i < upvalue_count; i++) new (&closure->upvalues()[i]) Value();
  return closure;
}

Upvalue* new_upvalue(ThreadState* thread) {
  void* block = allocate_or_throw(thread, sizeof(Upvalue), ChargeKind::Flat32);
  auto* upvalue = link_object(thread, new (block) Upvalue(), ValueType::Upvalue);
  upvalue->location = &upvalue->closed;
  return upvalue;
}

ThreadState* new_thread(ThreadState* thread) {
  void* block = allocate_or_throw(thread, sizeof(ThreadState), ChargeKind::Flat32);
  auto* created = link_object(thread, new (block) ThreadState(), ValueType::Thread);
  created->global = thread->global;
  link_thread(thread->global, created);
  allocate_stack(created, 2 * kMinNativeStack);
  return created;
}

void* allocate_frame_memory(ThreadState* thread, size_t bytes) {
  return allocate_or_throw(thread, bytes, ChargeKind::RawMemory);
}

void free_frame_memory(ThreadState* thread, void* block) { meter_free(thread->global->meter, block); }

void* allocate_raw(ThreadState* thread, size_t size) {
  if (size > size_t(kHardMemoryLimit)) throw_memory_error(thread);
  return allocate_or_throw(thread, size, ChargeKind::RawMemory);
}

void free_raw(GlobalState* global, void* block) { meter_free(global->meter, block); }

void* regrow_raw(ThreadState* thread, void* block, size_t size) {
  if (size > size_t(kHardMemoryLimit)) throw_memory_error(thread);
  void* grown = meter_regrow(thread->global->meter, block, size, ChargeKind::RawMemory);
  if (!grown) throw_memory_error(thread);
  return grown;
}

void free_object(GlobalState* global, GcObject* object) {
  MemoryMeter& meter = global->meter;
  switch (object->kind) {
    case ValueType::String: {
      auto* s = static_cast<StringObject*>(object);
      StringObject** link = &global->string_buckets[s->hash & (global->string_buckets.size() - 1)];
      while (*link != s) link = &(*link)->next_in_bucket;
      *link = s->next_in_bucket;
      global->string_count--;
      for (StringObject*& name : global->status_names) {
        if (name == s) name = nullptr;
      }
      break;
    }
    case ValueType::Table: {
      auto* t = static_cast<TableObject*>(object);
      meter_free(meter, t->array);
      meter_free(meter, t->nodes);
      break;
    }
    case ValueType::Prototype: static_cast<Prototype*>(object)->~Prototype(); break;
    case ValueType::Thread: {
      auto* t = static_cast<ThreadState*>(object);
      meter_free(meter, t->stack);
      t->~ThreadState();
      break;
    }
    default: break;
  }
  meter_free(meter, object);
}

void allocate_stack(ThreadState* thread, int slots) {
  void* block = meter_allocate(thread->global->meter, sizeof(Value) * size_t(slots), ChargeKind::RawMemory);
  if (!block) throw_memory_error(thread);
  thread->stack = static_cast<Value*>(block);
  for (int i = 0; i < slots; i++) new (&thread->stack[i]) Value();
  thread->stack_size = slots;
  thread->top = 0;
}

void grow_stack(ThreadState* thread, int slots) {
  int needed = thread->top + slots;
  if (needed <= thread->stack_size) return;
  if (needed > kMaxStackSlots) throw_error_message(thread, "stack overflow");
  int new_size = thread->stack_size * 2;
  if (new_size < needed) new_size = needed;
  if (new_size > kMaxStackSlots) new_size = kMaxStackSlots;
  void* block = meter_reallocate(thread->global->meter, thread->stack, sizeof(Value) * size_t(new_size));
  if (!block) throw_memory_error(thread);
  thread->stack = static_cast<Value*>(block);
  for (int i = thread->stack_size; i < new_size; i++) new (&thread->stack[i]) Value();
  thread->stack_size = new_size;
  for (Upvalue* up = thread->open_upvalues; up; up = up->next_open) {
    up->location = &thread->stack[up->slot];
  }
}

void shrink_stack(ThreadState* thread) {
  if (thread->frames.capacity() > 64 && thread->frames.capacity() > 4 * thread->frames.size()) {
    thread->frames.shrink_to_fit();
  }
  int in_use = thread->top;
  for (const CallFrame& frame : thread->frames) {
    if (frame.top > in_use) in_use = frame.top;
  }
  int wanted = in_use + in_use / 2 + 2 * kMinNativeStack;
  if (wanted >= thread->stack_size / 2) return;
  void* block = meter_reallocate(thread->global->meter, thread->stack, sizeof(Value) * size_t(wanted));
  if (!block) return;
  thread->stack = static_cast<Value*>(block);
  thread->stack_size = wanted;
  for (Upvalue* up = thread->open_upvalues; up; up = up->next_open) {
    up->location = &thread->stack[up->slot];
  }
}

void create_fixed_strings(ThreadState* thread) {
  static const char* const kEventNames[int(Event::Count)] = {
      "__index", "__newindex", "__gc", "__mode", "__len", "__eq", "__add", "__sub",
      "__mul", "__div", "__mod", "__pow", "__and", "__or", "__xor", "__shl", "__shr",
      "__lshr", "__rotl", "__rotr", "__not", "__idiv", "__peek", "__peek2", "__peek4",
      "__unm", "__lt", "__le", "__concat", "__call"};
  GlobalState* global = thread->global;
  for (int i = 0; i < int(Event::Count); i++) {
    global->event_names[i] = intern_string(thread, kEventNames[i]);
    global->event_names[i]->fixed = true;
  }
  global->memory_error_message = intern_string(thread, "not enough memory");
  global->memory_error_message->fixed = true;
}

}  // namespace tamori::lang

namespace tamori::lang {

// A table is charged by the size of its record: programs see the count.
static_assert(sizeof(TableObject) == 64);

TableObject* new_table(ThreadState* thread, int array_size, int hash_size) {
  void* block = allocate_or_throw(thread, sizeof(TableObject), ChargeKind::HalfSize);
  auto* table = link_object(thread, new (block) TableObject(), ValueType::Table);
  if (array_size > 0 || hash_size > 0) table_resize(thread, table, uint32_t(array_size), uint32_t(hash_size));
  return table;
}

}  // namespace tamori::lang
