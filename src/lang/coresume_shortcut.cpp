#include "lang/coresume_shortcut.h"

#include <cstdint>
#include <iterator>

#include "lang/call_frames.h"
#include "lang/cpu_counters.h"
#include "lang/cpu_functions.h"
#include "lang/heap.h"
#include "lang/interpreter.h"
#include "lang/library.h"

namespace tamori::lang {
namespace {

// The wrapper's code from its first resume call on, as the prelude
// compiles: register 0 holds the coroutine, 1 the packed results; upvalue 0
// is __yielded_to_escape_slice, 1 __pack, 4 __unpack; constant 0 is 0, 2 is
// 1 and 3 is "n".
enum class StepEffect : uint8_t {
  NotRun,       // checked only: already run, or the jump that its test runs inline
  Dispatched,   // checked and charged like any instruction
  CallsPack,    // also charges pack's spend_cpu
  CallsUnpack,  // also charges unpack's spend_cpu
};

struct WrapperStep {
  int pc;
  Instruction instruction;
  StepEffect effect;
};

constexpr int kResumeCallPc = 7;

constexpr WrapperStep kWrapperSteps[] = {
    {7, make_abc(OpCode::CALL, 2, 0, 0), StepEffect::NotRun},         // __coresume(c, ...)
    {8, make_abc(OpCode::CALL, 1, 0, 2), StepEffect::CallsPack},      // results = __pack(...)
    {9, make_abc(OpCode::GETUPVAL, 2, 0, 0), StepEffect::Dispatched},
    {10, make_abc(OpCode::CALL, 2, 1, 2), StepEffect::Dispatched},    // __yielded_to_escape_slice()
    {11, make_abc(OpCode::TEST, 2, 0, 0), StepEffect::Dispatched},    // false: leave the loop
    {12, make_asbx(OpCode::JMP, 0, 16), StepEffect::NotRun},
    {29, make_abc(OpCode::GETUPVAL, 2, 0, 0), StepEffect::Dispatched},
    {30, make_abx(OpCode::LOADK, 3, 0), StepEffect::Dispatched},
    {31, make_abc(OpCode::CALL, 2, 2, 1), StepEffect::Dispatched},    // __yielded_to_escape_slice(0)
    {32, make_abc(OpCode::GETUPVAL, 2, 4, 0), StepEffect::Dispatched},
    {33, make_abc(OpCode::MOVE, 3, 1, 0), StepEffect::Dispatched},
    {34, make_abx(OpCode::LOADK, 4, 2), StepEffect::Dispatched},
    {35, make_abc(OpCode::GETTABLE, 5, 1, rk_constant(3)), StepEffect::Dispatched},  // results.n
    {36, make_abc(OpCode::TAILCALL, 2, 4, 0), StepEffect::CallsUnpack},
    {37, make_abc(OpCode::RETURN, 2, 0, 0), StepEffect::Dispatched},
};

bool holds_native(const Value& value, NativeFunction function) {
  return value.type == ValueType::LightNative && value.native == function;
}

bool holds_number(const Value& value, int32_t raw) { return is_number(value) && value.number == raw; }

// Whether the prototype's code and constants are the wrapper's. Both are
// fixed once a prototype is loaded, so the answer is worked out once.
bool has_wrapper_code(Prototype* prototype) {
  if (prototype->coresume_wrapper_shape != Prototype::kShapeUnknown) {
    return prototype->coresume_wrapper_shape == Prototype::kShapeWrapper;
  }
  auto matches = [prototype] {
    const std::vector<Instruction>& code = prototype->code;
    const std::vector<Value>& constants = prototype->constants;
    if (code.size() < 38 || constants.size() < 4 || !prototype->functions.empty()) return false;
    for (const WrapperStep& step : kWrapperSteps) {
      if (general_form(code[size_t(step.pc)]) != step.instruction) return false;
    }
    return holds_number(constants[0], 0) && holds_number(constants[2], 0x10000) && is_string(constants[3]) &&
           string_view_of(as_string(constants[3])) == "n";
  };
  prototype->coresume_wrapper_shape = matches() ? Prototype::kShapeWrapper : Prototype::kShapeOther;
  return prototype->coresume_wrapper_shape == Prototype::kShapeWrapper;
}

// Whether `frame` runs the wrapper's code, stopped at its first resume call,
// with the natives it calls from here still in place.
bool is_wrapper_after_resume(ThreadState* thread, const CallFrame& frame) {
  if (!(frame.flags & kFrameLua) || frame.pc != kResumeCallPc + 1) return false;
  LuaClosure* wrapper = frame.closure;
  if (wrapper->upvalue_count < 5 || !has_wrapper_code(wrapper->prototype)) return false;
  return holds_native(thread->stack[frame.base + 1], table_pack) &&
         holds_native(*wrapper->upvalues()[0]->location, yielded_to_escape_slice) &&
         holds_native(*wrapper->upvalues()[4]->location, table_unpack);
}

// What the wrapper's steps charge besides pack's and unpack's spend_cpu: in
// all, and before its last step (where its last cycle check is made).
struct WrapperCharges {
  int32_t instructions = 0;
  int32_t before_last_step = 0;
  int spending_steps_before_last = 0;
};

constexpr WrapperCharges wrapper_charges() {
  WrapperCharges charges;
  int last = 0;
  for (int k = 0; k < int(std::size(kWrapperSteps)); k++) {
    if (kWrapperSteps[k].effect != StepEffect::NotRun) last = k;
  }
  for (int k = 0; k < int(std::size(kWrapperSteps)); k++) {
    const WrapperStep& step = kWrapperSteps[k];
    if (step.effect == StepEffect::NotRun) continue;
    int32_t cycles = kOpcodeInfo[int(opcode_of(step.instruction))].cycles;
    charges.instructions += cycles;
    if (k < last) {
      charges.before_last_step += cycles;
      if (step.effect != StepEffect::Dispatched) charges.spending_steps_before_last++;
    }
  }
  return charges;
}

constexpr WrapperCharges kWrapperCharges = wrapper_charges();

// Whether any cycle check on the wrapper's way to its return would fire.
// Every step charges a positive amount, so the last check sees the most.
bool a_check_would_fire(int result_count) {
  const CpuCounters& cpu = cpu_counters;
  if (cpu.cpu_superyield != 0) return true;
  const int64_t spend = 4 * int64_t(result_count);  // spend_cpu(2 * count) of pack and of unpack
  const int64_t at_last_check = int64_t(cpu.cpu_cycles_slice) + kWrapperCharges.before_last_step +
                                kWrapperCharges.spending_steps_before_last * spend;
  return int64_t(cpu.cpu_cycles_slice) > cpu.cpu_cycles_slice_max || at_last_check > cpu.cpu_cycles_slice_max;
}

void charge_wrapper_steps(int result_count) {
  charge_cycles(kWrapperCharges.instructions);
  spend_cpu(2 * result_count);  // pack
  spend_cpu(2 * result_count);  // unpack
}

}  // namespace

bool finish_coresume_wrapper(ThreadState* thread, int result_count) {
  if (!thread->global->coresume_shortcut_enabled || thread->escape_flag != 0) return false;
  const size_t depth = thread->frames.size();
  if (depth < 2) return false;
  const CallFrame& native_frame = thread->frames[depth - 1];
  const CallFrame& wrapper_frame = thread->frames[depth - 2];
  if (native_frame.flags != 0 || native_frame.wanted_results != kMultipleResults) return false;
  if (!is_wrapper_after_resume(thread, wrapper_frame)) return false;
  if (a_check_would_fire(result_count)) return false;

  charge_wrapper_steps(result_count);
  thread->global->coresume_shortcuts_taken++;
  const int results_slot = wrapper_frame.base + 2;
  postcall(thread, thread->top - result_count, result_count);  // the native's return into registers 2..
  postcall(thread, results_slot, result_count);                 // the wrapper's RETURN 2 0
  return true;
}

}  // namespace tamori::lang
