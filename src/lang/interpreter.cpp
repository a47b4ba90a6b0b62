// The dispatch loop. Every fetched instruction first meets the cycle check
// (suspend the coroutine when the slice is spent or a suspension was
// requested), is then charged its cycles, and then runs. Fast paths handle
// numbers and plain tables inline; everything else goes through the slow
// paths of lang/metamethods.cpp, after which the loop reloads its cached
// frame state (`goto reentry`), because a slow path may have pushed a frame
// for a Lua metamethod, finished the instruction through a native one, or
// moved the stack.
#include "lang/interpreter.h"

#include <cstdint>
#include <iterator>

#include "lang/call_frames.h"
#include "lang/collector.h"
#include "lang/cpu_counters.h"
#include "lang/errors.h"
#include "lang/fixed.h"
#include "lang/heap.h"
#include "lang/metamethods.h"
#include "lang/number_for_loop.h"
#include "lang/number_ops.h"
#include "lang/table.h"

namespace tamori::lang {
namespace {

// Indexed by opcode; a form of an instruction charges what its opcode does.
constexpr uint32_t kCycles[kOpcodeCount] = {
#define TAMORI_OPCODE_CYCLES(name, number, cycles, format, modeB, modeC, setsA, isTest, meaning) cycles,
    TAMORI_OPCODES(TAMORI_OPCODE_CYCLES)
#undef TAMORI_OPCODE_CYCLES
};

// Decides what a fired cycle check does: drop a superyield request that
// cannot be honoured, let the continuation of a suspended frame run, or
// suspend the coroutine before this instruction (not executed, not
// charged): then it returns true, and the loop unwinds to the resume.
bool cycle_check(ThreadState* thread, CallFrame& frame, int32_t slice, int32_t budget) {
  if (slice <= budget && thread->non_yieldable > 0) {
    lua_cpu_cancel_superyield();
    return false;
  }
  thread->escape_flag = 1;
  if (frame.flags & kFrameSuspendedByCycleCheck) {
    frame.flags &= uint8_t(~kFrameSuspendedByCycleCheck);
    return false;
  }
  if (thread->non_yieldable > 0) {
    throw_error_message(thread, thread == thread->global->main_thread
                                    ? "attempt to yield from outside a coroutine"
                                    : "attempt to yield across a C-call boundary");
  }
  frame.pc--;
  frame.flags |= kFrameSuspendedByCycleCheck;
  thread->yielded_count = 0;
  return true;
}

// A comparison or test runs the jump that follows it as part of itself
// when `condition` is `expected`, and skips it otherwise. `next` points at
// that jump; returns where the frame goes on.
inline const Instruction* conditional_jump(ThreadState* thread, int frame_base, const Instruction* next,
                                           bool condition, int expected) {
  if (int(condition) != expected) return next + 1;
  const Instruction jump = *next;
  if (arg_a(jump) != 0) close_upvalues(thread, frame_base + arg_a(jump) - 1);
  return next + arg_sbx(jump) + 1;
}

void index_slow(ThreadState* thread, const Value* object, const Value* key, int destination) {
  Value key_copy = *key;
  IndexResolution resolution = resolve_index(thread, object, key_copy);
  if (resolution.done) {
    thread->stack[destination] = resolution.result;
    // Indexing a string may have made a new string: a point to collect.
    if (is_string(resolution.result)) collector_safe_point(thread);
    return;
  }
  call_metamethod_for_instruction(thread, resolution.handler, resolution.object, key_copy, nullptr, 0);
}

void new_index_slow(ThreadState* thread, const Value* object, const Value* key, const Value* value) {
  Value key_copy = *key, value_copy = *value;
  IndexResolution resolution = resolve_new_index(thread, object, key_copy, value_copy);
  if (resolution.done) return;
  call_metamethod_for_instruction(thread, resolution.handler, resolution.object, key_copy, &value_copy, 0);
}

bool has_new_index_handler(ThreadState* thread, const TableObject* table) {
  return table->metatable &&
         !is_nil(table_get_string(table->metatable, thread->global->event_names[int(Event::NewIndex)]));
}

// Plain table stores: an existing key, or a table without "__newindex".
[[gnu::always_inline]] inline bool store_fast(ThreadState* thread, const Value& object, const Value& key, const Value& value) {
  if (!is_table(object)) return false;
  TableObject* table = as_table(object);
  // Slots of the array part, filled or not, are stored in place.
  if (is_number(key) && (key.number & 0xffff) == 0) {
    const int32_t index = key.number >> 16;
    if (index >= 1 && uint32_t(index) <= table->array_size) {
      Value& slot = table->array[index - 1];
      const bool was_empty = is_nil(slot);
      if (was_empty && has_new_index_handler(thread, table)) return false;
      slot = value;
      if (was_empty || is_nil(value)) note_array_store(table, uint32_t(index), value);
      table_barrier(thread->global, table);
      return true;
    }
  }
  // Any other key that has a value has it in the hash part.
  const Value& found = table_get_inline(table, key);
  if (!is_nil(found)) {
    const_cast<Value&>(found) = value;
    table_barrier(thread->global, table);
    return true;
  }
  if (has_new_index_handler(thread, table)) return false;
  table_set(thread, table, key, value);
  return true;
}

// Plain table loads, following "__index" tables (method lookups through a
// class table and its bases) without leaving the loop. Function handlers,
// other values and overlong chains go to the slow path, which starts over.
[[gnu::always_inline]] inline bool load_fast(ThreadState* thread, const Value& object, const Value& key, Value* result) {
  if (!is_table(object)) return false;
  const TableObject* table = as_table(object);
  // A filled slot of the array part, the commonest read of all.
  if (is_number(key) && (key.number & 0xffff) == 0) {
    const uint32_t slot = uint32_t(key.number >> 16) - 1;
    if (slot < table->array_size && !is_nil(table->array[slot])) {
      *result = table->array[slot];
      return true;
    }
  }
  for (int step = 0; step < kMaxTagLoop; step++) {
    const Value& found = table_get_inline(table, key);
    if (!is_nil(found) || !table->metatable) {
      *result = found;
      return true;
    }
    const Value& handler = table_get_string(table->metatable, thread->global->event_names[int(Event::Index)]);
    if (is_nil(handler)) {
      *result = Value();
      return true;
    }
    if (!is_table(handler)) return false;
    table = as_table(handler);
  }
  return false;
}

// The value under a string key of a table that holds it, or lacks it and
// has no metatable to ask; null for everything else.
[[gnu::always_inline]] inline const Value* own_field(const Value& object, const Value& key) {
  if (!is_table(object)) return nullptr;
  const TableObject* table = as_table(object);
  const Value& found = table_get_string_inline(table, as_string(key));
  return !is_nil(found) || !table->metatable ? &found : nullptr;
}

void prepare_for_loop(ThreadState* thread, Value* ra) {
  int32_t start, limit, step;
  if (!to_number(ra[0], &start)) throw_error_message(thread, "'for' initial value must be a number");
  if (!to_number(ra[1], &limit)) throw_error_message(thread, "'for' limit must be a number");
  if (!to_number(ra[2], &step)) throw_error_message(thread, "'for' step must be a number");
  ForLoopState loop = for_loop_prepare(start, limit, step);
  ra[0] = number_value(loop.index);
  ra[1] = number_value(loop.limit);
  ra[2] = number_value(loop.step);
}

// One test of a numeric loop, on the loop's three hidden slots; the visible
// loop variable is the fourth.
bool step_for_loop(Value* ra) {
  ForLoopState loop{ra[0].number, ra[1].number, ra[2].number};
  if (!for_loop_step(loop)) return false;
  ra[0] = number_value(loop.index);
  ra[2].number = loop.step;
  ra[3] = number_value(loop.index);
  return true;
}

void set_list(ThreadState* thread, CallFrame& frame, const Instruction* code, Instruction i) {
  int a = arg_a(i);
  int count = arg_b(i);
  int batch = arg_c(i);
  int first = frame.base + a;
  if (count == 0) count = thread->top - first - 1;
  if (batch == 0) batch = arg_ax(code[frame.pc++]);
  TableObject* table = as_table(thread->stack[first]);
  int64_t last = int64_t(batch - 1) * kFieldsPerFlush + count;
  int64_t capped = last < 0x7fff ? last : 0x7fff;
  if (capped > int64_t(table->array_size)) {
    table_resize(thread, table, uint32_t(capped), table->node_count());
  }
  for (; count > 0; count--, last--) {
    table_set_integer(thread, table, int32_t(last), thread->stack[first + count]);
  }
  thread->top = frame.top;
}

void make_closure(ThreadState* thread, CallFrame& frame, Instruction i) {
  Prototype* prototype = frame.closure->prototype->functions[size_t(arg_bx(i))];
  int count = int(prototype->upvalues.size());
  LuaClosure* closure = new_lua_closure(thread, prototype, count);
  Value* destination = &thread->stack[frame.base + arg_a(i)];
  *destination = lua_closure_value(closure);
  for (int k = 0; k < count; k++) {
    const UpvalueDescription& description = prototype->upvalues[size_t(k)];
    closure->upvalues()[k] = description.in_stack
                                 ? capture_upvalue(thread, frame.base + description.index)
                                 : frame.closure->upvalues()[description.index];
  }
}

void copy_varargs(ThreadState* thread, CallFrame& frame, Instruction i) {
  int wanted = arg_b(i) - 1;
  int extra = frame.base - frame.function_slot - 1 - frame.closure->prototype->parameter_count;
  if (extra < 0) extra = 0;
  int destination = frame.base + arg_a(i);
  if (wanted < 0) {
    wanted = extra;
    thread->top = destination;
    ensure_stack(thread, extra);
    thread->top = destination + extra;
  }
  Value* stack = thread->stack;
  for (int k = 0; k < wanted; k++) {
    stack[destination + k] = k < extra ? stack[frame.base - extra + k] : Value();
  }
}

// A tail call of a Lua function replaces the current frame; any other
// callee runs as an ordinary call whose results the following RETURN passes on.
bool tail_call(ThreadState* thread, CallFrame* frame, Instruction i) {
  int function_slot = frame->base + arg_a(i);
  if (arg_b(i) != 0) thread->top = function_slot + arg_b(i);
  if (!is_function(thread->stack[function_slot])) insert_call_handler(thread, function_slot);
  if (thread->stack[function_slot].type != ValueType::LuaClosure) {
    return precall(thread, function_slot, kMultipleResults, 0);
  }
  close_upvalues(thread, frame->base);
  int target = frame->function_slot;
  int count = thread->top - function_slot;
  for (int k = 0; k < count; k++) thread->stack[target + k] = thread->stack[function_slot + k];
  thread->top = target + count;
  int wanted = frame->wanted_results;
  uint8_t flags = uint8_t((frame->flags & (kFrameFinishOp | kFrameNegateResult)) | kFrameTailCall);
  thread->frames.pop_back();
  return precall(thread, target, wanted, flags);
}

}  // namespace

void finish_instruction(ThreadState* thread, uint8_t finished_frame_flags) {
  CallFrame& frame = thread->frames.back();
  const Instruction* code = frame.closure->prototype->code.data();
  Instruction i = code[frame.pc - 1];
  Value result = thread->stack[thread->top - 1];
  int a = arg_a(i);
  switch (opcode_of(i)) {
    case OpCode::EQ:
    case OpCode::LT:
    case OpCode::LE: {
      bool condition = !is_false(result);
      if (finished_frame_flags & kFrameNegateResult) condition = !condition;
      thread->top = frame.top;
      frame.pc = int(conditional_jump(thread, frame.base, code + frame.pc, condition, a) - code);
      break;
    }
    case OpCode::CONCAT: {
      int call_slot = thread->top - 1;
      thread->stack[call_slot - 2] = result;
      thread->top = call_slot - 1;
      int first = frame.base + arg_b(i);
      if (concatenate(thread, first)) {
        CallFrame& current = thread->frames.back();
        thread->stack[current.base + a] = thread->stack[first];
        thread->top = current.top;
      }
      break;
    }
    case OpCode::TFORCALL: {
      thread->top = frame.top;
      Instruction loop = code[frame.pc++];
      Value* ra = thread->stack + frame.base + arg_a(loop);
      if (!is_nil(ra[1])) {
        ra[0] = ra[1];
        frame.pc += arg_sbx(loop);
      }
      break;
    }
    case OpCode::SETTABUP:
    case OpCode::SETTABLE: thread->top = frame.top; break;
    default:
      thread->stack[frame.base + a] = result;
      thread->top = frame.top;
      break;
  }
}

bool execute(ThreadState* thread, size_t stop_depth) {
  CpuCounters& cpu = cpu_counters;
  // Every handler ends by fetching the next instruction and jumping to its
  // handler itself (threaded dispatch): one indirect jump per handler
  // predicts far better than a single shared one.
  static const void* const kHandlers[] = {
#define TAMORI_OPCODE_HANDLER(name, number, cycles, format, modeB, modeC, setsA, isTest, meaning) &&op_##name,
      TAMORI_OPCODES(TAMORI_OPCODE_HANDLER)
#undef TAMORI_OPCODE_HANDLER
#define TAMORI_FORM_HANDLER(form, number, opcode) &&op_##form,
      TAMORI_INSTRUCTION_FORMS(TAMORI_FORM_HANDLER)
#undef TAMORI_FORM_HANDLER
  };
  // Every number of the opcode field is an opcode or a form of one.
  static_assert(std::size(kHandlers) == 64);
  Instruction i;
  Value* ra;
reentry:
  CallFrame* frame = &thread->frames.back();
  LuaClosure* closure = frame->closure;
  Prototype* prototype = closure->prototype;
  const Instruction* code = prototype->code.data();
  const Value* constants = prototype->constants.data();
  Value* base = thread->stack + frame->base;
  // The program counter lives in a local and points at the instruction
  // after the running one. frame->pc holds it as an index for everything
  // outside the loop (errors, calls, the cycle check, returns into this
  // frame): SAVE_PC() stores it before any handler code that may call out,
  // and every `goto reentry` reads it back, since helpers may move it.
  const Instruction* pc = code + frame->pc;
  // The slice counter is kept in a local as well, and stored together with
  // the program counter: nothing outside the loop can read it before the
  // loop calls out. It is read again wherever code outside the loop may have
  // charged cycles (RELOAD_SLICE, and every `goto reentry`).
  int32_t slice = cpu.cpu_cycles_slice;
#define SAVE_PC() (frame->pc = int(pc - code), cpu.cpu_cycles_slice = slice)
#define RK(x) (is_constant(x) ? &constants[constant_index(x)] : base + (x))
#define RELOAD_SLICE() (slice = cpu.cpu_cycles_slice)
  // The coroutine yields or is suspended: straight back to its resume from
  // the outermost loop, by exception from a nested one.
#define SUSPEND()                            \
  do {                                       \
    if (stop_depth != 0) throw YieldSignal{}; \
    return true;                             \
  } while (false)
#define DISPATCH()                    \
  do {                                \
    i = *pc++;                        \
    goto* kHandlers[i & 0x3f];        \
  } while (false)
  // Each handler starts with the cycle check (suspend the coroutine when the
  // slice is spent or a suspension was requested) and then charges its own
  // cycles. BEGIN also saves the program counter; BEGIN_LEAF is for handlers
  // whose fast path calls nothing that could read it, and which save it on
  // their way to anything else. The check fires about once a slice: marked
  // unlikely, so that its code stays out of the handlers' straight line.
#define CYCLE_CHECK()                                                              \
  do {                                                                             \
    if (__builtin_expect(slice >= cpu.cpu_check_from, 0) &&                        \
        (slice | cpu.cpu_superyield) > cpu.cpu_cycles_slice_max) {                 \
      SAVE_PC();                                                                   \
      if (cycle_check(thread, *frame, slice, cpu.cpu_cycles_slice_max)) SUSPEND(); \
    }                                                                              \
  } while (false)
#define CHECK_AND_CHARGE(name)                                     \
  do {                                                             \
    CYCLE_CHECK();                                                 \
    slice = int32_t(uint32_t(slice) + kCycles[int(OpCode::name)]); \
    ra = base + arg_a(i);                                          \
  } while (false)
#define BEGIN_LEAF(name) \
  op_##name:             \
  CHECK_AND_CHARGE(name)
#define BEGIN(name)        \
  op_##name:               \
  CHECK_AND_CHARGE(name);  \
  SAVE_PC()
  // A form is checked and charged as its opcode; its fast path is a leaf,
  // and it goes to the opcode's general handler (`opcode_general`) for
  // anything else.
#define BEGIN_FORM(form, opcode) \
  op_##form:                     \
  CHECK_AND_CHARGE(opcode)
  // Goes on in the Lua frame on top, running `callee` from instruction
  // index `start`, without the chain of loads of `reentry`: for a frame just
  // pushed (the closure is at hand) or returned to. Neither charges cycles,
  // so the slice is current. Both arguments are read after `frame` is set.
#define ENTER_FRAME(callee, start)           \
  do {                                       \
    frame = &thread->frames.back();          \
    closure = (callee);                      \
    prototype = closure->prototype;          \
    code = prototype->code.data();           \
    constants = prototype->constants.data(); \
    base = thread->stack + frame->base;      \
    pc = code + (start);                     \
    DISPATCH();                              \
  } while (false)
  // Goes on after a native call. Usually this frame is still on top, and
  // then everything that follows from its closure still holds; only the
  // stack, the program counter and the slice may have changed.
#define CONTINUE_FRAME()                                                            \
  do {                                                                              \
    if (&thread->frames.back() != frame || frame->closure != closure) goto reentry; \
    base = thread->stack + frame->base;                                             \
    pc = code + frame->pc;                                                          \
    RELOAD_SLICE();                                                                 \
    DISPATCH();                                                                     \
  } while (false)
  // A comparison on numbers inline, anything else through `slow` (which
  // may call a metamethod and finish the instruction itself).
#define COMPARISON(name, op, slow)                                            \
  BEGIN_LEAF(name);                                                           \
  name##_general: __attribute__((unused)); {                                  \
    const Value* b = RK(arg_b(i));                                            \
    const Value* c = RK(arg_c(i));                                            \
    int outcome;                                                              \
    if (is_number(*b) && is_number(*c)) {                                     \
      outcome = b->number op c->number;                                       \
    } else {                                                                  \
      SAVE_PC();                                                              \
      outcome = slow(thread, b, c);                                           \
      if (outcome < 0) goto reentry;                                          \
      RELOAD_SLICE();                                                         \
    }                                                                         \
    pc = conditional_jump(thread, frame->base, pc, outcome != 0, arg_a(i));   \
    DISPATCH();                                                               \
  }
  DISPATCH();

      // The instruction handlers; each ends in DISPATCH() or `goto reentry`.
      BEGIN_LEAF(MOVE); *ra = base[arg_b(i)]; DISPATCH();
      BEGIN_LEAF(LOADK); *ra = constants[arg_bx(i)]; DISPATCH();
      BEGIN_LEAF(LOADKX);
        *ra = constants[arg_ax(*pc++)];
        DISPATCH();
      BEGIN_LEAF(LOADBOOL);
        *ra = boolean_value(arg_b(i) != 0);
        if (arg_c(i) != 0) pc++;
        DISPATCH();
      BEGIN_LEAF(LOADNIL);
        for (int k = 0; k <= arg_b(i); k++) ra[k] = Value();
        DISPATCH();
      BEGIN_LEAF(GETUPVAL); *ra = *closure->upvalues()[arg_b(i)]->location; DISPATCH();
      BEGIN_LEAF(GETTABUP);
      GETTABUP_general: {
        const Value* table = closure->upvalues()[arg_b(i)]->location;
        Value result;
        if (load_fast(thread, *table, *RK(arg_c(i)), &result)) {
          *ra = result;
          DISPATCH();
        }
        SAVE_PC();
        index_slow(thread, table, RK(arg_c(i)), frame->base + arg_a(i));
        goto reentry;
      }
      BEGIN_LEAF(GETTABLE);
      GETTABLE_general: {
        Value result;
        if (load_fast(thread, base[arg_b(i)], *RK(arg_c(i)), &result)) {
          *ra = result;
          DISPATCH();
        }
        SAVE_PC();
        index_slow(thread, &base[arg_b(i)], RK(arg_c(i)), frame->base + arg_a(i));
        goto reentry;
      }
      BEGIN(SETTABUP); {
        const Value* table = closure->upvalues()[arg_a(i)]->location;
        if (store_fast(thread, *table, *RK(arg_b(i)), *RK(arg_c(i)))) DISPATCH();
        new_index_slow(thread, table, RK(arg_b(i)), RK(arg_c(i)));
        goto reentry;
      }
      BEGIN_LEAF(SETUPVAL); {
        Upvalue* upvalue = closure->upvalues()[arg_b(i)];
        *upvalue->location = *ra;
        upvalue_barrier(thread->global, upvalue, *ra);
        DISPATCH();
      }
      BEGIN_LEAF(SETTABLE);
      SETTABLE_general:
        SAVE_PC();
        if (store_fast(thread, *ra, *RK(arg_b(i)), *RK(arg_c(i)))) DISPATCH();
        new_index_slow(thread, ra, RK(arg_b(i)), RK(arg_c(i)));
        goto reentry;
      BEGIN(NEWTABLE);
        *ra = table_value(new_table(thread, table_size_from_hint(arg_b(i)), table_size_from_hint(arg_c(i))));
        // A collection may run finalizers, which may move the stack.
        collector_safe_point(thread);
        goto reentry;
      BEGIN_LEAF(SELF); {
        Value object = base[arg_b(i)];
        Value result;
        if (load_fast(thread, object, *RK(arg_c(i)), &result)) {
          ra[1] = object;
          *ra = result;
          DISPATCH();
        }
        SAVE_PC();
        Value key = *RK(arg_c(i));
        ra[1] = object;
        index_slow(thread, &base[arg_b(i)], &key, frame->base + arg_a(i));
        goto reentry;
      }
      BEGIN_LEAF(ADD);
      ADD_general: {
        const Value* b = RK(arg_b(i));
        const Value* c = RK(arg_c(i));
        if (is_number(*b) && is_number(*c)) {
          *ra = number_value(int32_t(uint32_t(b->number) + uint32_t(c->number)));
          DISPATCH();
        }
        SAVE_PC();
        arithmetic_slow(thread, ArithOp::Add, b, c, frame->base + arg_a(i));
        goto reentry;
      }
      BEGIN_LEAF(SUB);
      SUB_general: {
        const Value* b = RK(arg_b(i));
        const Value* c = RK(arg_c(i));
        if (is_number(*b) && is_number(*c)) {
          *ra = number_value(int32_t(uint32_t(b->number) - uint32_t(c->number)));
          DISPATCH();
        }
        SAVE_PC();
        arithmetic_slow(thread, ArithOp::Sub, b, c, frame->base + arg_a(i));
        goto reentry;
      }
      BEGIN_LEAF(MUL); {
        const Value* b = RK(arg_b(i));
        const Value* c = RK(arg_c(i));
        if (is_number(*b) && is_number(*c)) {
          *ra = number_value(number_multiply(b->number, c->number));
          DISPATCH();
        }
        SAVE_PC();
        arithmetic_slow(thread, ArithOp::Mul, b, c, frame->base + arg_a(i));
        goto reentry;
      }
      BEGIN_LEAF(MOD);
      MOD_general: {
        // The common case inline: both operands non-negative.
        const Value* b = RK(arg_b(i));
        const Value* c = RK(arg_c(i));
        if (is_number(*b) && is_number(*c) && b->number >= 0 && c->number > 0) {
          *ra = number_value(int32_t(uint32_t(b->number) % uint32_t(c->number)));
          DISPATCH();
        }
        goto generic_arithmetic;
      }
      BEGIN_LEAF(DIV); {
        // The common case inline: a whole positive divisor.
        const Value* b = RK(arg_b(i));
        const Value* c = RK(arg_c(i));
        if (is_number(*b) && is_number(*c) && c->number >= 0x10000 && (c->number & 0xffff) == 0) {
          *ra = number_value(b->number / (c->number >> 16));
          DISPATCH();
        }
        goto generic_arithmetic;
      }
      BEGIN_LEAF(POW); goto generic_arithmetic;
      BEGIN_LEAF(TMBAND); goto generic_arithmetic;
      BEGIN_LEAF(TMBOR); goto generic_arithmetic;
      BEGIN_LEAF(TMBXOR); goto generic_arithmetic;
      BEGIN_LEAF(TMSHL); goto generic_arithmetic;
      BEGIN_LEAF(TMSHR); goto generic_arithmetic;
      BEGIN_LEAF(TMLSHR); goto generic_arithmetic;
      BEGIN_LEAF(TMROTL); goto generic_arithmetic;
      BEGIN_LEAF(TMROTR); goto generic_arithmetic;
      BEGIN_LEAF(TMBNOT); goto generic_arithmetic;
      BEGIN_LEAF(IDIV); goto generic_arithmetic;
      BEGIN_LEAF(PEEK); goto generic_arithmetic;
      BEGIN_LEAF(PEEK2); goto generic_arithmetic;
      BEGIN_LEAF(PEEK4); goto generic_arithmetic;
      generic_arithmetic: {
        SAVE_PC();
        ArithOp arith = ArithOp(int(opcode_of(i)) - int(OpCode::ADD));
        const Value* b = RK(arg_b(i));
        const Value* c = RK(arg_c(i));
        if (is_number(*b) && is_number(*c)) {
          int32_t result = 0;
          int extra_cycles = 0;
          if (!number_arith(arith, b->number, c->number, &result, &extra_cycles)) {
            result = peek_memory(thread, arith, b->number);
            RELOAD_SLICE();
          }
          if (extra_cycles) {
            slice = int32_t(uint32_t(slice) + uint32_t(extra_cycles));
            cpu.cpu_cycles_slice = slice;
          }
          *ra = number_value(result);
          DISPATCH();
        }
        arithmetic_slow(thread, arith, b, c, frame->base + arg_a(i));
        goto reentry;
      }
      BEGIN_LEAF(UNM); {
        const Value* b = &base[arg_b(i)];
        if (is_number(*b)) {
          *ra = number_value(int32_t(0u - uint32_t(b->number)));
          DISPATCH();
        }
        SAVE_PC();
        arithmetic_slow(thread, ArithOp::Unm, b, b, frame->base + arg_a(i));
        goto reentry;
      }
      BEGIN_LEAF(NOT); *ra = boolean_value(is_false(base[arg_b(i)])); DISPATCH();
      BEGIN_LEAF(LEN); {
        // A plain table that remembers its border, as after `t[#t + 1] = v`.
        const Value& b = base[arg_b(i)];
        if (is_table(b) && !as_table(b)->metatable && length_is_remembered_border(as_table(b))) {
          *ra = number_value(fixed_from_int(int32_t(as_table(b)->border)));
          DISPATCH();
        }
        SAVE_PC();
        if (length_of(thread, &b, frame->base + arg_a(i))) {
          RELOAD_SLICE();
          DISPATCH();
        }
        goto reentry;
      }
      BEGIN(CONCAT); {
        int first = frame->base + arg_b(i);
        thread->top = frame->base + arg_c(i) + 1;
        if (concatenate(thread, first)) {
          thread->stack[frame->base + arg_a(i)] = thread->stack[first];
          thread->top = frame->top;
          collector_safe_point(thread);
        }
        goto reentry;
      }
      BEGIN_LEAF(JMP);
        pc += arg_sbx(i);
        if (arg_a(i) != 0) close_upvalues(thread, frame->base + arg_a(i) - 1);
        DISPATCH();
      COMPARISON(EQ, ==, equal_values)
      COMPARISON(LT, <, less_than)
      COMPARISON(LE, <=, less_equal)
      BEGIN_LEAF(TEST);
        pc = conditional_jump(thread, frame->base, pc, !is_false(*ra), arg_c(i) != 0);
        DISPATCH();
      BEGIN_LEAF(TESTSET); {
        const Value& b = base[arg_b(i)];
        const bool take = !is_false(b) == (arg_c(i) != 0);
        if (take) *ra = b;
        pc = conditional_jump(thread, frame->base, pc, take, true);
        DISPATCH();
      }
      BEGIN(CALL); {
        int function_slot = frame->base + arg_a(i);
        if (arg_b(i) != 0) thread->top = function_slot + arg_b(i);
        // Lua-to-Lua calls, the most common, enter the new frame directly.
        if (ra->type == ValueType::LuaClosure) {
          LuaClosure* callee = as_lua_closure(*ra);
          push_lua_frame(thread, function_slot, arg_c(i) - 1, 0);
          ENTER_FRAME(callee, 0);
        }
        // So are calls of the numeric built-ins; the frame stays as it is
        // unless the stack had to grow for extra wanted results.
        if (ra->type == ValueType::FastFunction) {
          call_fast(thread, ra->fast, function_slot, arg_c(i) - 1, 0);
          if (base != thread->stack + frame->base) goto reentry;
          RELOAD_SLICE();
          DISPATCH();
        }
        if (start_call(thread, function_slot, arg_c(i) - 1, 0) == CallOutcome::Yielded) SUSPEND();
        // A native may have finished this frame too (kNativeFinishedItsCaller).
        if (thread->frames.size() <= stop_depth) return false;
        CONTINUE_FRAME();
      }
      BEGIN(TAILCALL);
        tail_call(thread, frame, i);
        goto reentry;
      BEGIN(RETURN); {
        int first = frame->base + arg_a(i);
        int count = arg_b(i) != 0 ? arg_b(i) - 1 : thread->top - first;
        if (!prototype->functions.empty()) close_upvalues(thread, frame->base);
        const bool finishes_an_instruction = frame->flags & kFrameFinishOp;
        postcall(thread, first, count);
        if (thread->frames.size() <= stop_depth) return false;
        // A finished instruction may have called out; otherwise only the
        // frame changed, and every frame above stop_depth is a Lua frame.
        if (finishes_an_instruction) goto reentry;
        ENTER_FRAME(frame->closure, frame->pc);
      }
      BEGIN_LEAF(FORLOOP);
        if (step_for_loop(ra)) pc += arg_sbx(i);
        DISPATCH();
      BEGIN(FORPREP);
        prepare_for_loop(thread, ra);
        pc += arg_sbx(i);
        DISPATCH();
      BEGIN(TFORCALL); {
        int call_slot = frame->base + arg_a(i) + 3;
        ra[3] = ra[0];
        ra[4] = ra[1];
        ra[5] = ra[2];
        thread->top = call_slot + 3;
        if (!precall(thread, call_slot, arg_c(i), kFrameFinishOp)) CONTINUE_FRAME();
        ENTER_FRAME(frame->closure, 0);
      }
      BEGIN_LEAF(TFORLOOP);
        if (!is_nil(ra[1])) {
          ra[0] = ra[1];
          pc += arg_sbx(i);
        }
        DISPATCH();
      BEGIN(SETLIST);
        set_list(thread, *frame, code, i);
        pc = code + frame->pc;
        DISPATCH();
      BEGIN(CLOSURE);
        make_closure(thread, *frame, i);
        collector_safe_point(thread);
        goto reentry;
      BEGIN(VARARG);
        copy_varargs(thread, *frame, i);
        goto reentry;
      BEGIN_LEAF(EXTRAARG); DISPATCH();

      // The forms (R a register operand, K a number constant, S a string
      // constant), each a fast path of its opcode's own.
      BEGIN_FORM(ADD_RR, ADD); {
        const Value* b = base + arg_b(i);
        const Value* c = base + arg_c(i);
        if (is_number(*b) && is_number(*c)) {
          *ra = number_value(int32_t(uint32_t(b->number) + uint32_t(c->number)));
          DISPATCH();
        }
        goto ADD_general;
      }
      BEGIN_FORM(ADD_RK, ADD); {
        const Value* b = base + arg_b(i);
        if (is_number(*b)) {
          *ra = number_value(int32_t(uint32_t(b->number) + uint32_t(constants[constant_index(arg_c(i))].number)));
          DISPATCH();
        }
        goto ADD_general;
      }
      BEGIN_FORM(SUB_RK, SUB); {
        const Value* b = base + arg_b(i);
        if (is_number(*b)) {
          *ra = number_value(int32_t(uint32_t(b->number) - uint32_t(constants[constant_index(arg_c(i))].number)));
          DISPATCH();
        }
        goto SUB_general;
      }
      BEGIN_FORM(MOD_RK, MOD); {
        // The constant is positive.
        const Value* b = base + arg_b(i);
        if (is_number(*b) && b->number >= 0) {
          *ra = number_value(int32_t(uint32_t(b->number) % uint32_t(constants[constant_index(arg_c(i))].number)));
          DISPATCH();
        }
        goto MOD_general;
      }
      BEGIN_FORM(GETTABLE_RR, GETTABLE); {
        Value result;
        if (load_fast(thread, base[arg_b(i)], base[arg_c(i)], &result)) {
          *ra = result;
          DISPATCH();
        }
        goto GETTABLE_general;
      }
      // Fields of the table itself; the general handlers follow "__index".
      BEGIN_FORM(GETTABLE_RS, GETTABLE);
        if (const Value* found = own_field(base[arg_b(i)], constants[constant_index(arg_c(i))])) {
          *ra = *found;
          DISPATCH();
        }
        goto GETTABLE_general;
      BEGIN_FORM(GETTABUP_S, GETTABUP);
        if (const Value* found =
                own_field(*closure->upvalues()[arg_b(i)]->location, constants[constant_index(arg_c(i))])) {
          *ra = *found;
          DISPATCH();
        }
        goto GETTABUP_general;
      // A store to a field that the table already holds.
      BEGIN_FORM(SETTABLE_S, SETTABLE); {
        if (is_table(*ra)) {
          TableObject* table = as_table(*ra);
          const Value& found = table_get_string_inline(table, as_string(constants[constant_index(arg_b(i))]));
          if (!is_nil(found)) {
            const_cast<Value&>(found) = *RK(arg_c(i));
            table_barrier(thread->global, table);
            DISPATCH();
          }
        }
        goto SETTABLE_general;
      }
      BEGIN_FORM(LT_RR, LT); {
        const Value* b = base + arg_b(i);
        const Value* c = base + arg_c(i);
        if (is_number(*b) && is_number(*c)) {
          pc = conditional_jump(thread, frame->base, pc, b->number < c->number, arg_a(i));
          DISPATCH();
        }
        goto LT_general;
      }
      BEGIN_FORM(LT_RK, LT); {
        const Value* b = base + arg_b(i);
        if (is_number(*b)) {
          pc = conditional_jump(thread, frame->base, pc, b->number < constants[constant_index(arg_c(i))].number,
                                arg_a(i));
          DISPATCH();
        }
        goto LT_general;
      }
      BEGIN_FORM(LT_KR, LT); {
        const Value* c = base + arg_c(i);
        if (is_number(*c)) {
          pc = conditional_jump(thread, frame->base, pc, constants[constant_index(arg_b(i))].number < c->number,
                                arg_a(i));
          DISPATCH();
        }
        goto LT_general;
      }
#undef COMPARISON
#undef CONTINUE_FRAME
#undef ENTER_FRAME
#undef BEGIN_FORM
#undef BEGIN
#undef BEGIN_LEAF
#undef CHECK_AND_CHARGE
#undef CYCLE_CHECK
#undef DISPATCH
#undef RELOAD_SLICE
#undef SUSPEND
#undef SAVE_PC
#undef RK
}

}  // namespace tamori::lang
