// The interpreter's calls and its dispatch loop. Lua-to-Lua calls, returns,
// tail calls and metamethods written in Lua all run in one loop on the
// thread's frame stack, never by recursion on the native stack, so that the
// cycle check can suspend a coroutine before any instruction. The native
// stack is entered again only when native code calls back into the language
// (call_value) and by coroutine resumes.
#pragma once

#include <cstddef>

#include "lang/state.h"

namespace tamori::lang {

// Thrown to unwind a coroutine to its resume when it yields (from the cycle
// check or from a native that asked to yield). Never leaves resume_thread.
struct YieldSignal {};

// Starts a call of the value at `function_slot` with the values above it up
// to the thread's top as arguments. A Lua function gets a frame and true is
// returned (the caller runs it); native and fast functions run at once and
// their results are in place when it returns false. `flags` go on the new
// frame (kFrameFinishOp for metamethods and iterators run for an
// instruction).
bool precall(ThreadState* thread, int function_slot, int wanted_results, uint8_t flags);

// What a native returns instead of a result count when it has completed
// its own call and that of the Lua function that called it (the coresume
// shortcut); both frames are gone and the results are in place.
inline constexpr int kNativeFinishedItsCaller = -2;

// How a call started by start_call went on.
enum class CallOutcome : uint8_t {
  LuaFrame,  // a Lua function got a frame; the caller runs it
  Finished,  // a native or fast function ran and its results are in place
  Yielded,   // a native asked to yield: its frame stays, marked kFrameYielded
};

// As precall, but a native that yields is reported instead of thrown, so
// that the dispatch loop can return to the resume without unwinding.
CallOutcome start_call(ThreadState* thread, int function_slot, int wanted_results, uint8_t flags);

// Replaces a non-function at `function_slot` by its "__call" handler, with
// the original value as the first argument; raises the call error when
// there is none.
void insert_call_handler(ThreadState* thread, int function_slot);

// push_lua_frame and postcall, which enter and leave frames, are inline in
// lang/call_frames.h.

// Runs Lua frames until the frame stack is back to `stop_depth` frames.
// Returns true instead when a native called by the outermost loop of a
// coroutine (stop_depth 0) yielded; a nested loop throws YieldSignal.
bool execute(ThreadState* thread, size_t stop_depth);

// Calls from native code: runs the call to completion (the coroutine cannot
// yield inside it). Results are left at function_slot.. and the top.
void call_value(ThreadState* thread, int function_slot, int wanted_results);

// As call_value, catching errors: on error the frames are unwound, the error
// value is left at function_slot and the top is just above it.
RunStatus protected_call_at(ThreadState* thread, int function_slot, int wanted_results);

// Resumes coroutine `coroutine` with the `argument_count` values on top of
// its stack. On return its results (or yielded values, or error value) are
// the top `*result_count` values of its stack.
RunStatus resume_thread(ThreadState* coroutine, ThreadState* from, int argument_count,
                        int* result_count);

// The open upvalue for stack slot `slot`, created when there is none.
Upvalue* capture_upvalue(ThreadState* thread, int slot);

// Closes the open upvalues of the thread at or above `level`.
void close_upvalues(ThreadState* thread, int level);

// Completes the instruction of the current Lua frame that called a metamethod
// or iterator, whose first result is at the thread's top - 1.
void finish_instruction(ThreadState* thread, uint8_t finished_frame_flags);

}  // namespace tamori::lang
