// The language library as the runner sees it: which globals it registers and
// how (fast functions without a frame, or natives), the refund switch, and
// the superyield hook suspending a coroutine at its next instruction.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lang/api.h"
#include "lang/compiler.h"
#include "lang/cpu_counters.h"
#include "lang/fixed.h"
#include "lang/library.h"
#include "script_support.h"

namespace tamori::lang::testing {
namespace {

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state = create_state();
    register_language_library(state);
    lua_reset_cpu_cycles();
    lua_set_cpu_cycles_slice_max(0x3fffffff);
    lua_cpu_prepare_for_resume();
  }
  void TearDown() override {
    set_cpu_refund_allowed(state, true);
    destroy_state(state);
  }

  ValueType global_type(const std::string& name) {
    get_global(state, name);
    ValueType type = type_at(state, -1);
    set_top(state, -2);
    return type;
  }

  // Runs `source` and returns the global `result` as a raw number.
  int32_t run_for_result(const char* source) {
    CompileResult compiled = compile_chunk(source, "library");
    EXPECT_TRUE(compiled.ok()) << compiled.full_message;
    load_function(state, *compiled.function);
    EXPECT_EQ(RunStatus::Ok, protected_call(state, 0, 0)) << display_text(state, -1);
    get_global(state, "result");
    int32_t raw = raw_number_at(state, -1);
    set_top(state, 0);
    return raw;
  }

  ThreadState* state = nullptr;
};

TEST_F(LibraryTest, NumericFunctionsAreFastAndTheRestAreNatives) {
  const std::vector<std::string> fast = {"flr",   "ceil", "abs", "sgn", "min", "max", "mid",
                                         "sqrt",  "cos",  "sin", "atan2", "band", "bor", "bxor",
                                         "bnot",  "shl",  "shr", "lshr", "rotl", "rotr"};
  const std::vector<std::string> natives = {
      "add", "del", "deli", "count", "pack", "unpack", "sub", "chr", "ord", "split", "type", "__type",
      "tostring", "__tostring__", "select", "__select", "next", "inext", "__pairs__", "__ipairs__",
      "setmetatable", "getmetatable", "rawequal", "rawlen", "rawget", "rawset", "assert", "cocreate",
      "coresume", "__coresume", "yield", "costatus", "tostr", "__tostr", "tonum", "__refund_cpu__",
      "__yielded_to_escape_slice", "__superyield"};
  for (const std::string& name : fast) EXPECT_EQ(ValueType::FastFunction, global_type(name)) << name;
  for (const std::string& name : natives) EXPECT_EQ(ValueType::LightNative, global_type(name)) << name;
  // Nothing of the reference design's own library comes along.
  for (const char* name : {"pairs", "ipairs", "print", "string", "table", "math", "_G", "error", "pcall"}) {
    EXPECT_EQ(ValueType::Nil, global_type(name)) << name;
  }
}

TEST_F(LibraryTest, RefundsFollowTheRunnersSwitch) {
  const char* source = "local before = flr(0) __refund_cpu__(-10) result = before";
  ASSERT_TRUE(cpu_refund_allowed(state));
  lua_reset_cpu_cycles();
  run_for_result(source);
  int32_t with_refund = lua_get_cpu_cycles();
  set_cpu_refund_allowed(state, false);
  lua_reset_cpu_cycles();
  run_for_result(source);
  int32_t without_refund = lua_get_cpu_cycles();
  EXPECT_EQ(20, without_refund - with_refund);
}

TEST_F(LibraryTest, SuperyieldSuspendsTheCoroutineAtItsNextInstruction) {
  int32_t result = run_for_result(R"(
    local co = cocreate(function()
      __superyield()
      return 7
    end)
    local ok, value = coresume(co)
    local first = (ok and value == nil and costatus(co) == "suspended") and 1 or 0
    local ok2, value2 = coresume(co)
    result = first * 100 + value2
  )");
  EXPECT_EQ(fixed_from_int(107), result);
  EXPECT_EQ(0, cpu_counters.cpu_superyield);
}

}  // namespace
}  // namespace tamori::lang::testing
