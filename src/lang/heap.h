// Creation and destruction of every collected object. All memory goes
// through the metering allocator (lang/memory_meter.h) with the charge of
// its kind; a refused allocation raises the language's memory error.
#pragma once

#include <string_view>

#include "lang/state.h"

namespace tamori::lang {

// Returns the one interned string with these bytes, creating it if needed.
StringObject* intern_string(ThreadState* thread, std::string_view text);
inline std::string_view string_view_of(const StringObject* s) { return {s->bytes(), s->length}; }

// The byte-string hash used for interning and table positions.
uint32_t hash_bytes(std::string_view text);

TableObject* new_table(ThreadState* thread, int array_size, int hash_size);
Prototype* new_prototype(ThreadState* thread);
LuaClosure* new_lua_closure(ThreadState* thread, Prototype* prototype, int upvalue_count);
NativeClosure* new_native_closure(ThreadState* thread, NativeFunction function, int upvalue_count);
Upvalue* new_upvalue(ThreadState* thread);
// A coroutine sharing the global state of `thread`.
ThreadState* new_thread(ThreadState* thread);

// Raw memory for table parts, charged as raw memory.
void* allocate_raw(ThreadState* thread, size_t size);
void free_raw(GlobalState* global, void* block);
// Grows a raw block, keeping its contents (in place when the allocator can).
void* regrow_raw(ThreadState* thread, void* block, size_t size);

// Frees one object (the collector's sweep and state destruction).
void free_object(GlobalState* global, GcObject* object);

// The growing part of ensure_stack.
void grow_stack(ThreadState* thread, int slots);
// Gives the thread at least `slots` free stack slots above its top, growing
// the stack (and moving its open upvalues) when needed; raises
// "stack overflow" beyond the slot limit. Inline, because every call checks
// it and it almost never has to grow.
inline void ensure_stack(ThreadState* thread, int slots) {
  if (thread->top + slots > thread->stack_size) grow_stack(thread, slots);
}
void allocate_stack(ThreadState* thread, int slots);
// Gives back most of a stack that grew far beyond what its frames use (after
// deep recursion). Only for the collector: no stack pointer may be held.
void shrink_stack(ThreadState* thread);

// Creates the interned event names and other strings that are never freed.
void create_fixed_strings(ThreadState* thread);

}  // namespace tamori::lang
