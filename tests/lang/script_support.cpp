#include "script_support.h"

#include "lang/api.h"
#include "lang/compiler.h"
#include "lang/coroutine_library.h"
#include "lang/cpu_functions.h"
#include "lang/cpu_counters.h"
#include "lang/fixed.h"
#include "lang/number_builtins.h"
#include "lang/number_text.h"

namespace tamori::lang::testing {
namespace {

// Where print writes; set by create_test_state (tests run one state at a time).
std::vector<std::string>* printed_lines = nullptr;

int test_print(ThreadState* thread) {
  std::string line;
  for (int i = 1; i <= get_top(thread); i++) {
    if (i > 1) line += ' ';
    line += display_text(thread, i);
  }
  if (printed_lines) printed_lines->push_back(line);
  return 0;
}

int test_tostring(ThreadState* thread) {
  push_string(thread, display_text(thread, 1));
  return 1;
}

int test_type(ThreadState* thread) {
  if (get_top(thread) < 1) raise_error(thread, "bad argument #1 to 'type' (value expected)");
  push_string(thread, type_name_at(thread, 1));
  return 1;
}

int test_setmetatable(ThreadState* thread) {
  set_top(thread, 2);
  set_metatable(thread, 1);
  return 1;
}

int test_getmetatable(ThreadState* thread) {
  if (!get_metatable(thread, 1)) push_nil(thread);
  return 1;
}

int test_rawget(ThreadState* thread) {
  set_top(thread, 2);
  raw_get(thread, 1);
  return 1;
}

int test_rawset(ThreadState* thread) {
  set_top(thread, 3);
  raw_set(thread, 1);
  return 1;
}

int test_rawequal(ThreadState* thread) {
  push_boolean(thread, raw_equal(value_at(thread, 1), value_at(thread, 2)));
  return 1;
}

int test_rawlen(ThreadState* thread) {
  push_integer(thread, raw_length(thread, 1));
  return 1;
}

int test_next(ThreadState* thread) {
  set_top(thread, 2);
  if (next_entry(thread, 1)) return 2;
  push_nil(thread);
  return 1;
}

int test_pairs(ThreadState* thread) {
  push_native(thread, test_next);
  push_copy(thread, 1);
  push_nil(thread);
  return 3;
}

int test_inext(ThreadState* thread) {
  int32_t index = integer_at(thread, 2) + 1;
  push_integer(thread, index);
  raw_get_integer(thread, 1, index);
  if (type_at(thread, -1) == ValueType::Nil) return 1;
  return 2;
}

int test_ipairs(ThreadState* thread) {
  push_native(thread, test_inext);
  push_copy(thread, 1);
  push_integer(thread, 0);
  return 3;
}

int test_select(ThreadState* thread) {
  int count = get_top(thread) - 1;
  std::string_view text;
  if (type_at(thread, 1) == ValueType::String && string_at(thread, 1, &text) && text == "#") {
    push_integer(thread, count);
    return 1;
  }
  int n = integer_at(thread, 1);
  if (n < 0) n = count + n + 1;
  if (n < 1) raise_error(thread, "bad argument #1 to 'select' (index out of range)");
  return n > count ? 0 : count - n + 1;
}

int test_error(ThreadState* thread) {
  set_top(thread, 1);
  raise_error_value(thread);
}

int test_pcall(ThreadState* thread) {
  int argument_count = get_top(thread) - 1;
  RunStatus status = protected_call(thread, argument_count, kMultipleResults);
  push_boolean(thread, status == RunStatus::Ok);
  insert(thread, 1);
  return get_top(thread);
}

int test_unpack(ThreadState* thread) {
  int32_t count = raw_length(thread, 1);
  for (int32_t i = 1; i <= count; i++) raw_get_integer(thread, 1, i);
  return count;
}

int test_cycles(ThreadState* thread) {
  push_number(thread, fixed_from_int(lua_get_cpu_cycles()));
  return 1;
}

int test_collect(ThreadState* thread) {
  collect(thread);
  return 0;
}

int32_t test_fast_flr(ThreadState* thread) {
  int32_t args[1] = {fast_raw_number(thread, 1)};
  return builtin_flr(args, fast_argument_count(thread) < 1 ? 0 : 1).value;
}

int32_t test_fast_max(ThreadState* thread) {
  int32_t args[2] = {fast_raw_number(thread, 1), fast_raw_number(thread, 2)};
  return builtin_max(args, fast_argument_count(thread)).value;
}

}  // namespace

std::string display_text(ThreadState* thread, int index) {
  Value value = value_at(thread, index);
  switch (value.type) {
    case ValueType::Nil: return "nil";
    case ValueType::Boolean: return value.boolean ? "true" : "false";
    case ValueType::Number: return number_to_text(value.number);
    case ValueType::String: {
      std::string_view text;
      string_at(thread, index, &text);
      return std::string(text);
    }
    default: return type_name(value);
  }
}

ThreadState* create_test_state(std::vector<std::string>* printed) {
  ThreadState* state = create_state();
  printed_lines = printed;
  register_native(state, "print", test_print);
  register_native(state, "tostring", test_tostring);
  register_native(state, "type", test_type);
  register_native(state, "setmetatable", test_setmetatable);
  register_native(state, "getmetatable", test_getmetatable);
  register_native(state, "rawget", test_rawget);
  register_native(state, "rawset", test_rawset);
  register_native(state, "rawequal", test_rawequal);
  register_native(state, "rawlen", test_rawlen);
  register_native(state, "next", test_next);
  register_native(state, "pairs", test_pairs);
  register_native(state, "ipairs", test_ipairs);
  register_native(state, "select", test_select);
  register_native(state, "error", test_error);
  register_native(state, "pcall", test_pcall);
  register_native(state, "unpack", test_unpack);
  register_native(state, "cycles", test_cycles);
  register_native(state, "collect", test_collect);
  register_fast(state, "flr", test_fast_flr);
  register_fast(state, "max", test_fast_max);
  open_coroutine_library(state);
  open_cpu_functions(state);
  return state;
}

ScriptRun run_script(const std::string& source, const std::string& chunk_name, bool collect_always) {
  ScriptRun run;
  CompileResult compiled = compile_chunk(source, chunk_name);
  if (!compiled.ok()) {
    run.compile_error = compiled.full_message;
    return run;
  }
  run.compiled = true;
  ThreadState* state = create_test_state(&run.printed);
  state->global->collect_at_every_safe_point = collect_always;
  lua_reset_cpu_cycles();
  lua_set_cpu_cycles_slice_max(0x7fffffff);
  lua_cpu_prepare_for_resume();
  load_function(state, *compiled.function);
  if (protected_call(state, 0, 0) != RunStatus::Ok) {
    run.failed = true;
    run.error_message = display_text(state, -1);
  }
  destroy_state(state);
  return run;
}

}  // namespace tamori::lang::testing
