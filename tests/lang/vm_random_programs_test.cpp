// Generates many small random programs (valid syntax, arbitrary semantics:
// type errors, metamethods, coroutines, deep nesting) and runs each with a
// bounded budget. They may fail with run-time errors; they must never crash,
// hang or corrupt memory (this test is most useful under the sanitizers).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "lang/api.h"
#include "lang/compiler.h"
#include "lang/cpu_counters.h"
#include "script_support.h"

namespace tamori::lang::testing {
namespace {

class ProgramGenerator {
 public:
  explicit ProgramGenerator(uint32_t seed) : random_(seed) {}

  std::string program() {
    std::string text = "local a, b, c = 1, 'two', {3}\nlocal t = {x = 1, 'y'}\n"
                       "local function f(...) return ... end\nlocal co\n";
    int count = pick(1, 6);
    for (int i = 0; i < count; i++) text += statement(0) + "\n";
    return text;
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  std::string name() {
    static const char* const kNames[] = {"a", "b", "c", "t", "f", "co", "g"};
    return kNames[pick(0, 6)];
  }

  std::string expression(int depth) {
    if (depth > 3) return name();
    static const char* const kBinary[] = {"+", "-", "*", "/", "%", "^", "..", "==", "~=", "<", "<=",
                                          ">", "and", "or", "&", "|", "^^", "<<", ">>", ">>>", "<<>",
                                          ">><", "\\"};
    static const char* const kUnary[] = {"-", "not ", "#", "~"};
    switch (pick(0, 13)) {
      case 0: return std::to_string(pick(-5, 40));
      case 1: return "'s" + std::to_string(pick(0, 9)) + "'";
      case 2: return "nil";
      case 3: return "{" + expression(depth + 1) + ", k = " + expression(depth + 1) + "}";
      case 4:
      case 5: return "(" + expression(depth + 1) + " " + kBinary[pick(0, 22)] + " " + expression(depth + 1) + ")";
      case 6: return std::string(kUnary[pick(0, 3)]) + expression(depth + 1);
      case 7: return "f(" + expression(depth + 1) + ", " + expression(depth + 1) + ")";
      case 8: return name() + "[" + expression(depth + 1) + "]";
      case 9: return name() + ".x";
      case 10: return "function(p) return " + expression(depth + 1) + " end";
      case 11: return "select('#', f(" + expression(depth + 1) + "))";
      case 12: return "(" + name() + ")(" + expression(depth + 1) + ")";
      default: return name();
    }
  }

  std::string block(int depth) {
    std::string text;
    int count = pick(1, 3);
    for (int i = 0; i < count; i++) text += statement(depth + 1) + " ";
    return text;
  }

  std::string statement(int depth) {
    if (depth > 2) return name() + " = " + expression(2);
    static const char* const kEvents[] = {"__index", "__newindex", "__add", "__concat", "__call",
                                          "__eq",    "__lt",       "__le",  "__len",    "__unm"};
    switch (pick(0, 11)) {
      case 0: return name() + " = " + expression(0);
      case 1: return name() + "[" + expression(1) + "] = " + expression(1);
      case 2: return "if " + expression(1) + " then " + block(depth) + " else " + block(depth) + " end";
      case 3: return "for i = " + std::to_string(pick(-2, 3)) + ", " + std::to_string(pick(0, 6)) + " do " + block(depth) + " end";
      case 4: return "print(" + expression(0) + ")";
      case 5:
        return "setmetatable(" + name() + ", {" + kEvents[pick(0, 9)] + " = " +
               (pick(0, 2) == 0 ? name() : "function(p, q) return " + expression(2) + " end") + "})";
      case 6: return "co = cocreate(function(p) " + block(depth) + " yield(" + expression(1) + ") " + block(depth) + " end)";
      case 7: return "print(coresume(" + name() + ", " + expression(1) + "))";
      case 8: return "for k, v in pairs(" + name() + ") do " + block(depth) + " end";
      case 9: return "local g = function(...) " + block(depth) + " return f(...) end";
      case 10: return "while " + expression(1) + " do " + block(depth) + " break end";
      default: return "print(pcall(" + name() + ", " + expression(1) + "))";
    }
  }

  std::mt19937 random_;
};

TEST(VmRandomPrograms, RunWithoutCrashing) {
  ProgramGenerator generator(20261208);
  int compiled_count = 0, finished = 0, failed = 0, suspended = 0;
  for (int n = 0; n < 400; n++) {
    std::string source = generator.program();
    CompileResult compiled = compile_chunk(source, "random");
    if (!compiled.ok()) continue;
    compiled_count++;
    std::vector<std::string> printed;
    ThreadState* state = create_test_state(&printed);
    state->global->collector.stress = n % 4 == 0 ? CollectorStress::FullCollection : CollectorStress::Off;
    load_function(state, *compiled.function);
    ThreadState* program = new_coroutine(state);
    lua_reset_cpu_cycles();
    lua_set_cpu_cycles_slice_max(20000);
    lua_cpu_prepare_for_resume();
    int result_count = 0;
    RunStatus status = resume(program, state, 0, &result_count);
    if (status == RunStatus::Ok) finished++;
    if (status == RunStatus::Error) failed++;
    if (status == RunStatus::Yield) suspended++;
    destroy_state(state);
  }
  // The generator must produce mostly valid programs of every outcome.
  EXPECT_GT(compiled_count, 300);
  EXPECT_GT(finished, 20) << failed << " failed, " << suspended << " suspended";
  EXPECT_GT(failed, 20);
  RecordProperty("suspended", suspended);
}

}  // namespace
}  // namespace tamori::lang::testing
