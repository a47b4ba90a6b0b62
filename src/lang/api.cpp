#include "lang/api.h"

#include <string>

#include "lang/collector.h"
#include "lang/errors.h"
#include "lang/fixed.h"
#include "lang/heap.h"
#include "lang/instruction_forms.h"
#include "lang/interpreter.h"
#include "lang/metamethods.h"
#include "lang/number_text.h"
#include "lang/table.h"
#include "lang/traceback.h"

namespace tamori::lang {
namespace {

int frame_base(ThreadState* thread) { return thread->frames.empty() ? 0 : thread->frames.back().base; }

// The stack slot of an index, or null when it names no value.
Value* slot_at(ThreadState* thread, int index) {
  int position;
  if (index > 0) {
    position = frame_base(thread) + index - 1;
    if (position >= thread->top) return nullptr;
  } else {
    position = thread->top + index;
    if (index == 0 || position < frame_base(thread)) return nullptr;
  }
  return &thread->stack[position];
}

Value checked_value(ThreadState* thread, int index) {
  Value* slot = slot_at(thread, index);
  return slot ? *slot : Value();
}

TableObject* table_at(ThreadState* thread, int index) {
  Value value = checked_value(thread, index);
  if (!is_table(value)) raise_error(thread, "table expected");
  return as_table(value);
}

Value pop(ThreadState* thread) {
  if (thread->top <= frame_base(thread)) return Value();
  return thread->stack[--thread->top];
}

Prototype* load_prototype(ThreadState* thread, const CompiledFunction& compiled) {
  Prototype* prototype = new_prototype(thread);
  // Anchor it while its constants and nested functions are created.
  push_value(thread, object_value(prototype, ValueType::Prototype));
  prototype->code = compiled.code;
  prototype->line_of_instruction = compiled.line_of_instruction;
  prototype->upvalues = compiled.upvalues;
  prototype->locals = compiled.locals;
  prototype->source_name = compiled.source_name;
  prototype->line_defined = compiled.line_defined;
  prototype->last_line_defined = compiled.last_line_defined;
  prototype->parameter_count = compiled.parameter_count;
  prototype->is_vararg = compiled.is_vararg;
  prototype->max_stack_size = compiled.max_stack_size;
  for (const Constant& constant : compiled.constants) {
    Value value;
    if (const bool* boolean = std::get_if<bool>(&constant)) value = boolean_value(*boolean);
    else if (const FixedConstant* number = std::get_if<FixedConstant>(&constant)) value = number_value(number->raw);
    else if (const std::string* text = std::get_if<std::string>(&constant)) value = string_value(intern_string(thread, *text));
    prototype->constants.push_back(value);
  }
  choose_instruction_forms(prototype);
  for (const auto& nested : compiled.functions) prototype->functions.push_back(load_prototype(thread, *nested));
  thread->top--;
  return prototype;
}

}  // namespace

ThreadState* create_state() {
  auto* global = new GlobalState();
  auto* main = new ThreadState();
  main->kind = ValueType::Thread;
  main->global = global;
  main->status = ThreadStatus::Running;
  main->non_yieldable = 1;
  global->main_thread = main;
  allocate_stack(main, 2 * kMinNativeStack);
  create_fixed_strings(main);
  global->globals = new_table(main, 0, 0);
  global->registry = new_table(main, 0, 0);
  return main;
}

void destroy_state(ThreadState* state) {
  GlobalState* global = state->global;
  free_all_objects(global);
  meter_free(global->meter, global->main_thread->stack);
  delete global->main_thread;
  delete global;
}

int get_top(ThreadState* thread) { return thread->top - frame_base(thread); }

void set_top(ThreadState* thread, int index) {
  int new_top = index >= 0 ? frame_base(thread) + index : thread->top + index + 1;
  if (new_top < frame_base(thread)) new_top = frame_base(thread);
  if (new_top > thread->top) {
    ensure_stack(thread, new_top - thread->top);
    for (int i = thread->top; i < new_top; i++) thread->stack[i] = Value();
  }
  thread->top = new_top;
}

bool can_grow_stack(ThreadState* thread, int64_t slots) {
  return slots >= 0 && int64_t(thread->top) + slots <= kMaxStackSlots;
}

ValueType type_at(ThreadState* thread, int index) { return checked_value(thread, index).type; }
const char* type_name_at(ThreadState* thread, int index) { return type_name(checked_value(thread, index)); }
Value value_at(ThreadState* thread, int index) { return checked_value(thread, index); }

bool number_at(ThreadState* thread, int index, int32_t* raw) {
  return to_number(checked_value(thread, index), raw);
}

bool string_at(ThreadState* thread, int index, std::string_view* text) {
  Value* slot = slot_at(thread, index);
  if (!slot) return false;
  if (is_number(*slot)) *slot = string_value(intern_string(thread, number_to_text(slot->number)));
  if (!is_string(*slot)) return false;
  *text = string_view_of(as_string(*slot));
  return true;
}

int32_t raw_number_at(ThreadState* thread, int index) {
  int32_t raw = 0;
  return to_number(checked_value(thread, index), &raw) ? raw : 0;
}

int32_t integer_at(ThreadState* thread, int index) { return fixed_to_int(raw_number_at(thread, index)); }
bool truth_at(ThreadState* thread, int index) { return !is_false(checked_value(thread, index)); }

void push_value(ThreadState* thread, const Value& value) {
  Value copy = value;
  ensure_stack(thread, 1);
  thread->stack[thread->top++] = copy;
}

void insert(ThreadState* thread, int index) {
  Value* target = slot_at(thread, index);
  if (!target) return;
  int position = int(target - thread->stack);
  Value moved = thread->stack[thread->top - 1];
  for (int slot = thread->top - 1; slot > position; slot--) thread->stack[slot] = thread->stack[slot - 1];
  thread->stack[position] = moved;
}

void push_nil(ThreadState* thread) { push_value(thread, Value()); }
void push_number(ThreadState* thread, int32_t raw) { push_value(thread, number_value(raw)); }
void push_integer(ThreadState* thread, int32_t whole) { push_value(thread, number_value(fixed_from_int(whole))); }
void push_boolean(ThreadState* thread, bool value) { push_value(thread, boolean_value(value)); }
void push_string(ThreadState* thread, std::string_view text) {
  push_value(thread, string_value(intern_string(thread, text)));
}
void push_copy(ThreadState* thread, int index) { push_value(thread, checked_value(thread, index)); }
void push_native(ThreadState* thread, NativeFunction function) { push_value(thread, native_value(function)); }
void push_fast(ThreadState* thread, FastFunction function) { push_value(thread, fast_value(function)); }

void push_native_closure(ThreadState* thread, NativeFunction function, int upvalue_count) {
  NativeClosure* closure = new_native_closure(thread, function, upvalue_count);
  for (int i = 0; i < upvalue_count; i++) closure->upvalues()[i] = thread->stack[thread->top - upvalue_count + i];
  thread->top -= upvalue_count;
  push_value(thread, object_value(closure, ValueType::NativeClosure));
}

Value native_upvalue(ThreadState* thread, int i) {
  if (thread->frames.empty()) return Value();
  const Value& function = thread->stack[thread->frames.back().function_slot];
  if (function.type != ValueType::NativeClosure) return Value();
  NativeClosure* closure = as_native_closure(function);
  if (i < 1 || uint32_t(i) > closure->upvalue_count) return Value();
  return closure->upvalues()[i - 1];
}

void push_new_table(ThreadState* thread, int array_size, int hash_size) {
  push_value(thread, table_value(new_table(thread, array_size, hash_size)));
}

void push_registry(ThreadState* thread) { push_value(thread, table_value(thread->global->registry)); }

void raw_get(ThreadState* thread, int table_index) {
  TableObject* table = table_at(thread, table_index);
  thread->stack[thread->top - 1] = table_get(table, thread->stack[thread->top - 1]);
}

void raw_set(ThreadState* thread, int table_index) {
  TableObject* table = table_at(thread, table_index);
  table_set(thread, table, thread->stack[thread->top - 2], thread->stack[thread->top - 1]);
  thread->top -= 2;
}

void raw_get_integer(ThreadState* thread, int table_index, int32_t whole) {
  push_value(thread, table_get_integer(table_at(thread, table_index), whole));
}

void raw_set_integer(ThreadState* thread, int table_index, int32_t whole) {
  TableObject* table = table_at(thread, table_index);
  table_set_integer(thread, table, whole, thread->stack[thread->top - 1]);
  thread->top--;
}

namespace {

// Replaces the key on top with object[key], calling "__index" handlers.
void get_indexed(ThreadState* thread, const Value& object) {
  Value key = thread->stack[thread->top - 1];
  IndexResolution resolution = resolve_index(thread, &object, key);
  if (resolution.done) {
    thread->stack[thread->top - 1] = resolution.result;
    return;
  }
  int slot = thread->top - 1;
  thread->stack[slot] = resolution.handler;
  push_value(thread, resolution.object);
  push_value(thread, key);
  call_value(thread, slot, 1);
}

}  // namespace

void get_field(ThreadState* thread, int index, std::string_view name) {
  Value object = checked_value(thread, index);
  push_string(thread, name);
  get_indexed(thread, object);
}

void get_table(ThreadState* thread, int index) {
  Value object = checked_value(thread, index);
  get_indexed(thread, object);
}

void set_field(ThreadState* thread, int index, std::string_view name) {
  Value object = checked_value(thread, index);
  Value value = pop(thread);
  push_value(thread, value);  // keep it anchored while the key is created
  push_string(thread, name);
  Value key = thread->stack[thread->top - 1];
  IndexResolution resolution = resolve_new_index(thread, &object, key, value);
  if (resolution.done) {
    thread->top -= 2;
    return;
  }
  int slot = thread->top - 2;
  thread->stack[slot] = resolution.handler;
  thread->stack[slot + 1] = resolution.object;
  push_value(thread, key);
  push_value(thread, value);
  call_value(thread, slot, 0);
}

void get_global(ThreadState* thread, std::string_view name) {
  push_value(thread, table_value(thread->global->globals));
  get_field(thread, -1, name);
  thread->stack[thread->top - 2] = thread->stack[thread->top - 1];
  thread->top--;
}

void set_global(ThreadState* thread, std::string_view name) {
  Value value = pop(thread);
  push_value(thread, table_value(thread->global->globals));
  push_value(thread, value);
  set_field(thread, -2, name);
  thread->top--;
}

bool get_metatable(ThreadState* thread, int index) {
  Value value = checked_value(thread, index);
  if (!is_table(value) || !as_table(value)->metatable) return false;
  push_value(thread, table_value(as_table(value)->metatable));
  return true;
}

void set_metatable(ThreadState* thread, int index) {
  TableObject* table = table_at(thread, index);
  Value metatable = pop(thread);
  if (!is_nil(metatable) && !is_table(metatable)) raise_error(thread, "nil or table expected");
  table->metatable = is_nil(metatable) ? nullptr : as_table(metatable);
  table_barrier(thread->global, table);
  if (table->metatable &&
      !is_nil(table_get_string(table->metatable, thread->global->event_names[int(Event::Gc)]))) {
    make_finalizable(thread->global, table);
  }
}

bool next_entry(ThreadState* thread, int table_index) {
  TableObject* table = table_at(thread, table_index);
  Value key = pop(thread), value;
  if (!table_next(thread, table, &key, &value)) return false;
  push_value(thread, key);
  push_value(thread, value);
  return true;
}

int32_t raw_length(ThreadState* thread, int index) {
  Value value = checked_value(thread, index);
  if (is_table(value)) return table_length(as_table(value));
  if (is_string(value)) return int32_t(as_string(value)->length);
  return 0;
}

void load_function(ThreadState* thread, const CompiledFunction& function) {
  Prototype* prototype = load_prototype(thread, function);
  push_value(thread, object_value(prototype, ValueType::Prototype));
  int count = int(prototype->upvalues.size());
  LuaClosure* closure = new_lua_closure(thread, prototype, count);
  thread->stack[thread->top - 1] = lua_closure_value(closure);
  for (int i = 0; i < count; i++) {
    Upvalue* upvalue = new_upvalue(thread);
    if (i == 0) upvalue->closed = table_value(thread->global->globals);
    closure->upvalues()[i] = upvalue;
  }
}

void register_native(ThreadState* thread, std::string_view name, NativeFunction function) {
  push_native(thread, function);
  set_global(thread, name);
}

void register_fast(ThreadState* thread, std::string_view name, FastFunction function) {
  push_fast(thread, function);
  set_global(thread, name);
}

void call(ThreadState* thread, int argument_count, int result_count) {
  call_value(thread, thread->top - argument_count - 1, result_count);
}

RunStatus protected_call(ThreadState* thread, int argument_count, int result_count) {
  return protected_call_at(thread, thread->top - argument_count - 1, result_count);
}

void raise_error(ThreadState* thread, std::string_view message) { throw_error_message(thread, message); }

void raise_error_value(ThreadState* thread) { throw_error_value(thread, pop(thread)); }

std::string where(ThreadState* thread, int level) {
  int position = int(thread->frames.size()) - 1 - level;
  if (position < 0) return "";
  const CallFrame& frame = thread->frames[size_t(position)];
  if (!(frame.flags & kFrameLua)) return "";
  const Prototype* prototype = frame.closure->prototype;
  int pc = frame.pc > 0 ? frame.pc - 1 : 0;
  int line = size_t(pc) < prototype->line_of_instruction.size() ? prototype->line_of_instruction[size_t(pc)] : 0;
  return prototype->source_name + ":" + std::to_string(line) + ":";
}

std::string traceback(ThreadState* thread, int level) { return build_traceback(thread, level); }

std::string error_traceback(ThreadState* coroutine) { return coroutine->error_traceback; }

int error_line(ThreadState* coroutine) { return coroutine->error_line; }

int fast_argument_count(ThreadState* thread) { return thread->native_argument_count; }

Value fast_argument(ThreadState* thread, int i) {
  int count = thread->native_argument_count;
  if (i < 1 || i > count) return Value();
  return thread->stack[thread->top - count + i - 1];
}

int32_t fast_raw_number(ThreadState* thread, int i) {
  int32_t raw = 0;
  return to_number(fast_argument(thread, i), &raw) ? raw : 0;
}

ThreadState* new_coroutine(ThreadState* thread) {
  Value function = pop(thread);
  ThreadState* coroutine = new_thread(thread);
  push_value(thread, thread_value(coroutine));
  coroutine->stack[0] = function;
  coroutine->top = 1;
  return coroutine;
}

RunStatus resume(ThreadState* coroutine, ThreadState* from, int argument_count, int* result_count) {
  const char* refusal = nullptr;
  if (coroutine->status == ThreadStatus::Dead || (coroutine->frames.empty() && coroutine->top == 0)) {
    refusal = "cannot resume dead coroutine";
  } else if (coroutine->status != ThreadStatus::Suspended) {
    refusal = "cannot resume non-suspended coroutine";
  }
  if (refusal) {
    from->top -= argument_count;
    push_string(from, refusal);
    *result_count = 1;
    return RunStatus::Error;
  }
  ensure_stack(coroutine, argument_count + 1);
  for (int i = 0; i < argument_count; i++) {
    coroutine->stack[coroutine->top++] = from->stack[from->top - argument_count + i];
  }
  from->top -= argument_count;
  int count = 0;
  RunStatus status = resume_thread(coroutine, from, argument_count, &count);
  ensure_stack(from, count);
  for (int i = 0; i < count; i++) from->stack[from->top++] = coroutine->stack[coroutine->top - count + i];
  coroutine->top -= count;
  *result_count = count;
  return status;
}

bool can_yield(ThreadState* thread) {
  return thread != thread->global->main_thread && thread->non_yieldable == 0;
}

bool is_main_thread(ThreadState* thread) { return thread == thread->global->main_thread; }

int yield(ThreadState* thread, int result_count) {
  if (!can_yield(thread)) {
    raise_error(thread, thread == thread->global->main_thread ? "attempt to yield from outside a coroutine"
                                                              : "attempt to yield across a C-call boundary");
  }
  thread->yield_requested = true;
  thread->yielded_count = result_count;
  return result_count;
}

const char* coroutine_status(ThreadState* coroutine, ThreadState* current) {
  if (coroutine == current) return "running";
  switch (coroutine->status) {
    case ThreadStatus::Suspended: return "suspended";
    case ThreadStatus::Running: return "running";
    case ThreadStatus::Normal: return "normal";
    case ThreadStatus::Dead: return "dead";
  }
  return "dead";
}

int32_t& escape_flag(ThreadState* thread) { return thread->escape_flag; }

void collect(ThreadState* thread) {
  collect_garbage(thread);
  run_pending_finalizers(thread);
}
bool collect_step(ThreadState* thread, int size) { return collector_step(thread, size); }
void set_collector_running(ThreadState* thread, bool running) { thread->global->collector.running = running; }
bool collector_running(ThreadState* thread) { return thread->global->collector.running; }
void set_collector_pacing(ThreadState* thread, int pause, int step_multiplier) {
  Collector& collector = thread->global->collector;
  collector.pause = pause < 0 ? 0 : pause;
  collector.step_multiplier = step_multiplier < 1 ? 1 : step_multiplier;
}
int32_t memory_in_use(ThreadState* thread) { return thread->global->meter.bytes; }
MemoryMeter& memory_meter(ThreadState* thread) { return thread->global->meter; }

void set_peek_hook(ThreadState* thread, PeekHook hook, void* context) {
  thread->global->peek_hook = hook;
  thread->global->peek_context = context;
}

}  // namespace tamori::lang
