// Entering and leaving call frames, and fast calls, which need none.
// Always inline, because every Lua-to-Lua call, numeric built-in call and
// return of the dispatch loop goes through them, and as calls they would
// save and restore most registers each time; lang/calls.cpp uses the same
// ones for calls started from anywhere else.
#pragma once

#include "lang/heap.h"
#include "lang/interpreter.h"

namespace tamori::lang {

// Pushes the frame of the Lua closure at `function_slot`, whose arguments
// run up to the thread's top; missing parameters become nil.
[[gnu::always_inline]] inline void push_lua_frame(ThreadState* thread, int function_slot, int wanted_results, uint8_t flags) {
  LuaClosure* closure = as_lua_closure(thread->stack[function_slot]);
  Prototype* prototype = closure->prototype;
  int argument_count = thread->top - function_slot - 1;
  ensure_stack(thread, prototype->max_stack_size + prototype->parameter_count);
  Value* stack = thread->stack;
  for (; argument_count < prototype->parameter_count; argument_count++) stack[thread->top++] = Value();
  int base = function_slot + 1;
  if (prototype->is_vararg) {
    // Fixed parameters move above the extra arguments.
    base = thread->top;
    for (int i = 0; i < prototype->parameter_count; i++) {
      stack[base + i] = stack[function_slot + 1 + i];
      stack[function_slot + 1 + i] = Value();
    }
  }
  const int top = base + prototype->max_stack_size;
  thread->frames.push_back(CallFrame{function_slot, base, top, 0, wanted_results, uint8_t(flags | kFrameLua), closure});
  thread->top = top;
}

// Ends the top frame: moves `count` results from `first_result` to its
// function slot, adjusted to the wanted count, pops it and completes the
// caller's instruction when the frame ran for one.
[[gnu::always_inline]] inline void postcall(ThreadState* thread, int first_result, int count) {
  const CallFrame& ending = thread->frames.back();
  int destination = ending.function_slot;
  int wanted = ending.wanted_results;
  uint8_t flags = ending.flags;
  thread->frames.pop_back();
  Value* stack = thread->stack;
  if (wanted == kMultipleResults) {
    for (int i = 0; i < count; i++) stack[destination + i] = stack[first_result + i];
    thread->top = destination + count;
  } else if (wanted == 1) {
    // The common case, without the loops.
    if (count > 0) stack[destination] = stack[first_result];
    else stack[destination] = Value();
    thread->top = destination + 1;
  } else {
    int i = 0;
    for (; i < wanted && i < count; i++) stack[destination + i] = stack[first_result + i];
    for (; i < wanted; i++) stack[destination + i] = Value();
    thread->top = destination + wanted;
  }
  if (flags & kFrameFinishOp) {
    finish_instruction(thread, flags);
  } else if (wanted != kMultipleResults && !thread->frames.empty() &&
             (thread->frames.back().flags & kFrameLua)) {
    thread->top = thread->frames.back().top;
  }
}

// Calls a fast function: no frame, its one number replaces the function in
// its slot, and extra wanted results are nil.
inline void call_fast(ThreadState* thread, FastFunction function, int function_slot, int wanted_results,
                      uint8_t flags) {
  thread->native_argument_count = thread->top - function_slot - 1;
  int32_t result = function(thread);
  thread->stack[function_slot] = number_value(result);
  thread->top = function_slot + 1;
  if (wanted_results > 1) {
    ensure_stack(thread, wanted_results);
    for (int i = 1; i < wanted_results; i++) thread->stack[function_slot + i] = Value();
    thread->top = function_slot + wanted_results;
  }
  if (flags & kFrameFinishOp) {
    finish_instruction(thread, flags);
  } else if (wanted_results != kMultipleResults && !thread->frames.empty() &&
             (thread->frames.back().flags & kFrameLua)) {
    thread->top = thread->frames.back().top;
  }
}

}  // namespace tamori::lang
