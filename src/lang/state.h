// The interpreter's long-lived records: the global state shared by all
// threads of one language state, and the per-thread state with its stack and
// call frames.
//
// Stack layout of a call frame. `function_slot` holds the called function.
// For a Lua function with a fixed parameter list the registers start right
// after it (base = function_slot + 1). For a vararg function the arguments
// stay where the caller put them and the fixed parameters are moved above
// them, so the extra arguments sit at function_slot + 1 + parameter_count ..
// base - 1. `top` is base + max_stack_size for a Lua frame; a native frame's
// top is the limit its pushes may reach before the stack grows. Metamethod
// calls made by an instruction are placed at the Lua frame's top, above every
// register, so they never disturb the registers.
//
// Frame flags:
// - kFrameLua: the frame runs a Lua closure (else a native function).
// - kFrameSuspendedByCycleCheck: the cycle check suspended the coroutine at
//   this frame's saved instruction; the next check that fires in this frame
//   lets exactly one instruction run (it is the continuation).
// - kFrameFinishOp: the frame runs a metamethod or iterator for the
//   instruction before the caller's saved pc; when it returns, its first
//   result completes that instruction (lang/interpreter.cpp finish_instruction).
// - kFrameNegateResult: with kFrameFinishOp, a "__le" answered through
//   "__lt" with swapped operands, whose result is inverted.
// - kFrameTailCall: reached by a tail call (for tracebacks).
// - kFrameYielded: a native frame that yielded; resuming finishes it with the
//   values passed to resume as its results.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lang/memory_meter.h"
#include "lang/objects.h"

namespace tamori::lang {

inline constexpr uint8_t kFrameLua = 1;
inline constexpr uint8_t kFrameSuspendedByCycleCheck = 2;
inline constexpr uint8_t kFrameFinishOp = 4;
inline constexpr uint8_t kFrameNegateResult = 8;
inline constexpr uint8_t kFrameTailCall = 16;
inline constexpr uint8_t kFrameYielded = 32;

inline constexpr int kMultipleResults = -1;
inline constexpr int kMaxStackSlots = 1000000;
inline constexpr int kMaxNativeDepth = 200;
inline constexpr int kMinNativeStack = 20;
inline constexpr int kMaxTagLoop = 100;

struct CallFrame {
  int function_slot = 0;
  int base = 0;
  int top = 0;
  int pc = 0;  // Lua frames: index of the next instruction
  int wanted_results = 0;
  uint8_t flags = 0;
  LuaClosure* closure = nullptr;  // Lua frames only
};

// Lua 5.2's coroutine states as `costatus` reports them.
struct ThreadState;

// Frame lists are program memory like stacks: they go through the metering
// allocator, and a refused block raises the language's memory error.
void* allocate_frame_memory(ThreadState* thread, size_t bytes);
void free_frame_memory(ThreadState* thread, void* block);

template <typename T>
struct FrameAllocator {
  using value_type = T;
  ThreadState* thread;
  explicit FrameAllocator(ThreadState* owner) : thread(owner) {}
  template <typename U>
  FrameAllocator(const FrameAllocator<U>& other) : thread(other.thread) {}
  T* allocate(size_t count) { return static_cast<T*>(allocate_frame_memory(thread, count * sizeof(T))); }
  void deallocate(T* block, size_t) { free_frame_memory(thread, block); }
  template <typename U>
  bool operator==(const FrameAllocator<U>& other) const { return thread == other.thread; }
};

enum class ThreadStatus : uint8_t { Suspended, Running, Normal, Dead };

// Outcome of running code on a thread.
enum class RunStatus : uint8_t { Ok, Yield, Error };

// Metamethod events in the order the language keeps them; the arithmetic
// ones follow Add in ArithOp order (lang/number_ops.h).
enum class Event : uint8_t {
  Index, NewIndex, Gc, Mode, Len, Eq,
  Add, Sub, Mul, Div, Mod, Pow, And, Or, Xor, Shl, Shr, Lshr, Rotl, Rotr, Not, Idiv,
  Peek, Peek2, Peek4, Unm, Lt, Le, Concat, Call,
  Count
};

enum class CollectorPhase : uint8_t { Pause, Propagate, Atomic, Sweep };

// What a safe point does besides the paced steps (test hooks).
enum class CollectorStress : uint8_t { Off, FullCollection, Step };

// The incremental collector's state (lang/collector.h explains the cycle).
struct Collector {
  CollectorPhase phase = CollectorPhase::Pause;
  uint8_t current_white = kWhite0;
  // Reached objects whose references are still to be traced.
  std::vector<GcObject*> gray;
  // Objects to trace again in the atomic phase: threads, open upvalues,
  // weak tables, and black tables that received a store since.
  std::vector<GcObject*> gray_again;
  std::vector<TableObject*> weak_tables;  // weak values, or weak keys and values
  std::vector<TableObject*> ephemerons;   // weak keys only
  // Tables given a metatable with "__gc" whose finalizer is still to come.
  std::vector<TableObject*> finalizable;
  GcObject** sweep_cursor = nullptr;
  ThreadState* threads = nullptr;  // every coroutine, through next_thread
  int64_t work_done = 0;           // bytes traced or swept by the running step

  // Automatic steps run at safe points while `running` and the meter has
  // passed `threshold`.
  bool running = true;
  int32_t threshold = 256 * 1024;
  int pause = 200;            // percent of the live memory to wait for before a cycle
  int step_multiplier = 200;  // percent: work done per byte allocated
  bool collecting = false;

  CollectorStress stress = CollectorStress::Off;
  int32_t stress_step_work = 1;  // work of each stress step
};

// Reads console memory for the peek instructions: an integer address and a
// width of 1, 2 or 4 bytes; returns the raw number the instruction produces.
using PeekHook = int32_t (*)(void* context, int32_t address, int width);

struct GlobalState {
  MemoryMeter meter;
  // Interned strings: chained hash table with a power-of-two bucket count.
  std::vector<StringObject*> string_buckets;
  uint32_t string_count = 0;
  StringObject* event_names[int(Event::Count)] = {};
  StringObject* memory_error_message = nullptr;  // "not enough memory"
  // The names costatus returns, kept once made (programs ask for them in
  // tight loops); each is forgotten when the collector frees it.
  StringObject* status_names[4] = {};

  GcObject* all_objects = nullptr;
  TableObject* globals = nullptr;
  TableObject* registry = nullptr;  // values kept alive for native code
  ThreadState* main_thread = nullptr;

  Collector collector;
  // Unreachable tables whose finalizers are still to run (kept alive until then).
  std::vector<TableObject*> pending_finalizers;
  bool running_finalizers = false;

  int native_depth = 0;  // nested interpreter entries from native code

  // Whether `__refund_cpu__` may give cycles back (the runner clears it for
  // programs that name the function themselves).
  bool refund_allowed = true;

  // Test hook: lets tests compare the coresume shortcut
  // (lang/coresume_shortcut.h) with the prelude wrapper running as written.
  bool coresume_shortcut_enabled = true;
  uint32_t coresume_shortcuts_taken = 0;

  PeekHook peek_hook = nullptr;
  void* peek_context = nullptr;
};

struct ThreadState : GcObject {
  GlobalState* global = nullptr;
  Value* stack = nullptr;
  int stack_size = 0;
  int top = 0;
  std::vector<CallFrame, FrameAllocator<CallFrame>> frames{FrameAllocator<CallFrame>(this)};
  Upvalue* open_upvalues = nullptr;
  ThreadStatus status = ThreadStatus::Suspended;
  // Greater than 0 while the thread runs inside a native boundary it cannot
  // yield across; the main thread never yields.
  int non_yieldable = 0;
  int32_t escape_flag = 0;
  int native_argument_count = 0;
  Value error_value;
  // How many values the last yield left on top of the stack.
  int yielded_count = 0;
  // Set by a native through yield_thread(); the caller of the native turns it
  // into a yield of the thread.
  bool yield_requested = false;
  // Taken when an error ends the coroutine, before its frames are dropped:
  // the traceback text and the line its innermost Lua frame was running.
  std::string error_traceback;
  int error_line = 0;

  ThreadState* next_thread = nullptr;  // Collector::threads

  CallFrame& frame() { return frames.back(); }
};

inline ThreadState* as_thread(const Value& v) { return static_cast<ThreadState*>(v.object); }
inline Value thread_value(ThreadState* t) { return object_value(t, ValueType::Thread); }

}  // namespace tamori::lang
