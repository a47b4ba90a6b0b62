// Calls, returns, errors and coroutine resumption.
#include <utility>

#include "lang/call_frames.h"
#include "lang/collector.h"
#include "lang/errors.h"
#include "lang/heap.h"
#include "lang/interpreter.h"
#include "lang/metamethods.h"
#include "lang/traceback.h"
#include "lang/variable_names.h"

namespace tamori::lang {
namespace {

// Counts a nested entry of the interpreter from native code for as long as
// it lives: the "C stack overflow" limit and the non-yieldable region.
struct NativeEntry {
  ThreadState* thread;
  explicit NativeEntry(ThreadState* entering) : thread(entering) {
    GlobalState* global = thread->global;
    if (global->native_depth >= kMaxNativeDepth) throw_error_message(thread, "C stack overflow");
    global->native_depth++;
    thread->non_yieldable++;
  }
  ~NativeEntry() {
    thread->global->native_depth--;
    thread->non_yieldable--;
  }
  NativeEntry(const NativeEntry&) = delete;
  NativeEntry& operator=(const NativeEntry&) = delete;
};

}  // namespace

void insert_call_handler(ThreadState* thread, int function_slot) {
  const Value& handler = metamethod_of(thread, thread->stack[function_slot], Event::Call);
  if (!is_function(handler)) type_error(thread, &thread->stack[function_slot], "call");
  Value function = handler;
  ensure_stack(thread, 1);
  for (int slot = thread->top; slot > function_slot; slot--) thread->stack[slot] = thread->stack[slot - 1];
  thread->top++;
  thread->stack[function_slot] = function;
}

namespace {

// True when the native asked to yield; its frame then stays on the stack.
bool call_native(ThreadState* thread, NativeFunction function, int function_slot, int wanted_results,
                 uint8_t flags) {
  ensure_stack(thread, kMinNativeStack);
  CallFrame& frame = thread->frames.emplace_back();
  frame.function_slot = function_slot;
  frame.base = function_slot + 1;
  frame.top = thread->top + kMinNativeStack;
  frame.wanted_results = wanted_results;
  frame.flags = flags;
  thread->native_argument_count = thread->top - function_slot - 1;
  collector_safe_point(thread);
  int result_count = function(thread);
  if (result_count == kNativeFinishedItsCaller) return false;
  if (thread->yield_requested) {
    thread->yield_requested = false;
    thread->frames.back().flags |= kFrameYielded;
    return true;
  }
  if (result_count < 0) result_count = 0;
  if (result_count > thread->top - thread->frames.back().base) result_count = thread->top - thread->frames.back().base;
  postcall(thread, thread->top - result_count, result_count);
  return false;
}

// Links a fresh upvalue for stack slot `slot`, keeping the open list sorted
// from the highest slot down.
Upvalue* find_upvalue(ThreadState* thread, int slot) {
  Upvalue** link = &thread->open_upvalues;
  while (*link && (*link)->slot >= slot) {
    if ((*link)->slot == slot) return *link;
    link = &(*link)->next_open;
  }
  Upvalue* created = new_upvalue(thread);
  created->slot = slot;
  created->location = &thread->stack[slot];
  created->next_open = *link;
  *link = created;
  return created;
}

}  // namespace

Upvalue* capture_upvalue(ThreadState* thread, int slot) { return find_upvalue(thread, slot); }

void throw_error_value(ThreadState* thread, Value error) {
  thread->error_value = error;
  throw LanguageError{};
}

void throw_error_message(ThreadState* thread, std::string_view message) {
  throw_error_value(thread, string_value(intern_string(thread, message)));
}

void throw_memory_error(ThreadState* thread) {
  throw_error_value(thread, string_value(thread->global->memory_error_message));
}

void close_upvalues(ThreadState* thread, int level) {
  while (thread->open_upvalues && thread->open_upvalues->slot >= level) {
    Upvalue* upvalue = thread->open_upvalues;
    upvalue->closed = *upvalue->location;
    upvalue->location = &upvalue->closed;
    thread->open_upvalues = upvalue->next_open;
    upvalue->next_open = nullptr;
  }
}

CallOutcome start_call(ThreadState* thread, int function_slot, int wanted_results, uint8_t flags) {
  switch (thread->stack[function_slot].type) {
    case ValueType::LuaClosure:
      push_lua_frame(thread, function_slot, wanted_results, flags);
      return CallOutcome::LuaFrame;
    case ValueType::LightNative:
      return call_native(thread, thread->stack[function_slot].native, function_slot, wanted_results, flags)
                 ? CallOutcome::Yielded
                 : CallOutcome::Finished;
    case ValueType::NativeClosure:
      return call_native(thread, as_native_closure(thread->stack[function_slot])->function, function_slot,
                         wanted_results, flags)
                 ? CallOutcome::Yielded
                 : CallOutcome::Finished;
    case ValueType::FastFunction:
      call_fast(thread, thread->stack[function_slot].fast, function_slot, wanted_results, flags);
      return CallOutcome::Finished;
    default:
      insert_call_handler(thread, function_slot);
      return start_call(thread, function_slot, wanted_results, flags);
  }
}

bool precall(ThreadState* thread, int function_slot, int wanted_results, uint8_t flags) {
  CallOutcome outcome = start_call(thread, function_slot, wanted_results, flags);
  if (outcome == CallOutcome::Yielded) throw YieldSignal{};
  return outcome == CallOutcome::LuaFrame;
}

void call_value(ThreadState* thread, int function_slot, int wanted_results) {
  NativeEntry entry(thread);
  size_t depth = thread->frames.size();
  if (wanted_results > 0) ensure_stack(thread, wanted_results);
  // A loop entered with no frames below returns a suspension instead of
  // unwinding; here it unwinds like any other.
  if (precall(thread, function_slot, wanted_results, 0) && execute(thread, depth)) throw YieldSignal{};
}

RunStatus protected_call_at(ThreadState* thread, int function_slot, int wanted_results) {
  size_t depth = thread->frames.size();
  try {
    call_value(thread, function_slot, wanted_results);
    return RunStatus::Ok;
  } catch (const LanguageError&) {
    close_upvalues(thread, function_slot);
    thread->frames.resize(depth);
    thread->stack[function_slot] = thread->error_value;
    thread->top = function_slot + 1;
    return RunStatus::Error;
  }
}

namespace {

// Whether the frame's next instruction takes its operands up to the stack
// top that a call with open results (or a vararg) left behind.
bool takes_open_top(const CallFrame& frame) {
  if (!(frame.flags & kFrameLua)) return false;
  const std::vector<Instruction>& code = frame.closure->prototype->code;
  if (frame.pc < 0 || size_t(frame.pc) >= code.size()) return false;
  const Instruction next = code[size_t(frame.pc)];
  switch (opcode_of(next)) {
    case OpCode::CALL:
    case OpCode::TAILCALL:
    case OpCode::RETURN:
    case OpCode::SETLIST: return arg_b(next) == 0;
    default: return false;
  }
}

// Continues a coroutine after a yield or a suspension by the cycle check;
// true when it yielded again without unwinding.
bool continue_thread(ThreadState* coroutine, int argument_count) {
  CallFrame& frame = coroutine->frames.back();
  if (frame.flags & kFrameYielded) {
    // The values given to resume become the results of the native that yielded.
    frame.flags &= uint8_t(~kFrameYielded);
    postcall(coroutine, coroutine->top - argument_count, argument_count);
  } else if (takes_open_top(frame)) {
    // Suspended between an open call and the instruction that takes its
    // results: the top still marks where they end.
    coroutine->top -= argument_count;
  } else {
    coroutine->top = frame.top;
  }
  return !coroutine->frames.empty() && execute(coroutine, 0);
}

}  // namespace

RunStatus resume_thread(ThreadState* coroutine, ThreadState* from, int argument_count, int* result_count) {
  GlobalState* global = coroutine->global;
  if (global->native_depth >= kMaxNativeDepth) {
    coroutine->error_value = string_value(intern_string(coroutine, "C stack overflow"));
    *result_count = 0;
    return RunStatus::Error;
  }
  global->native_depth++;
  coroutine->status = ThreadStatus::Running;
  ThreadStatus previous_from_status = from->status;
  if (from != coroutine) from->status = ThreadStatus::Normal;
  RunStatus outcome = RunStatus::Ok;
  try {
    bool yielded = false;
    if (coroutine->frames.empty()) {
      int function_slot = coroutine->top - argument_count - 1;
      if (precall(coroutine, function_slot, kMultipleResults, 0)) yielded = execute(coroutine, 0);
    } else {
      yielded = continue_thread(coroutine, argument_count);
    }
    if (yielded) {
      coroutine->status = ThreadStatus::Suspended;
      *result_count = coroutine->yielded_count;
      outcome = RunStatus::Yield;
    } else {
      coroutine->status = ThreadStatus::Dead;
      *result_count = coroutine->top;
    }
  } catch (const YieldSignal&) {
    coroutine->status = ThreadStatus::Suspended;
    *result_count = coroutine->yielded_count;
    outcome = RunStatus::Yield;
  } catch (const LanguageError&) {
    // The frames stay as they were when the error happened, so that a
    // traceback of the dead coroutine can still be taken; the
    // traceback and line are also kept for the runner's report.
    coroutine->error_traceback = build_traceback(coroutine, 0);
    coroutine->error_line = innermost_lua_line(coroutine);
    coroutine->status = ThreadStatus::Dead;
    if (coroutine->top >= coroutine->stack_size) coroutine->top = coroutine->stack_size - 1;
    coroutine->stack[coroutine->top++] = coroutine->error_value;
    *result_count = 1;
    outcome = RunStatus::Error;
  }
  global->native_depth--;
  if (from != coroutine) from->status = previous_from_status;
  return outcome;
}

}  // namespace tamori::lang
