#include "script_support.h"

#include "lang/api.h"
#include "lang/compiler.h"
#include "lang/cpu_counters.h"
#include "lang/fixed.h"
#include "lang/library.h"
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

int test_cycles(ThreadState* thread) {
  push_number(thread, fixed_from_int(lua_get_cpu_cycles()));
  return 1;
}

int test_collect(ThreadState* thread) {
  collect(thread);
  return 0;
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
  register_language_library(state);
  // What the prelude and the runner would add: print, pairs and ipairs under
  // their public names, and the test's own error handling and probes.
  register_native(state, "print", test_print);
  get_global(state, "__pairs__");
  set_global(state, "pairs");
  get_global(state, "__ipairs__");
  set_global(state, "ipairs");
  register_native(state, "error", test_error);
  register_native(state, "pcall", test_pcall);
  register_native(state, "cycles", test_cycles);
  register_native(state, "collect", test_collect);
  return state;
}

ScriptRun run_script(const std::string& source, const std::string& chunk_name, bool collect_always,
                     int32_t stress_step_work) {
  ScriptRun run;
  CompileResult compiled = compile_chunk(source, chunk_name);
  if (!compiled.ok()) {
    run.compile_error = compiled.full_message;
    return run;
  }
  run.compiled = true;
  ThreadState* state = create_test_state(&run.printed);
  Collector& collector = state->global->collector;
  if (collect_always) collector.stress = CollectorStress::FullCollection;
  if (stress_step_work > 0) {
    collector.stress = CollectorStress::Step;
    collector.stress_step_work = stress_step_work;
  }
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
