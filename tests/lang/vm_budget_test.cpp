// The cycle budget: a program run in slices of a small budget, resumed after
// every suspension by the cycle check, prints exactly what an unsliced run
// prints and is charged exactly the same cycles.
#include <gtest/gtest.h>

#include "lang/api.h"
#include "lang/compiler.h"
#include "lang/cpu_counters.h"
#include "script_support.h"

namespace tamori::lang::testing {
namespace {

struct SlicedRun {
  std::vector<std::string> printed;
  int32_t cycles = 0;
  int slices = 0;
  std::string error;
};

SlicedRun run_in_slices(const std::string& source, int32_t budget) {
  SlicedRun run;
  CompileResult compiled = compile_chunk(source, "sliced");
  EXPECT_TRUE(compiled.ok()) << compiled.full_message;
  if (!compiled.ok()) return run;
  ThreadState* state = create_test_state(&run.printed);
  load_function(state, *compiled.function);
  ThreadState* program = new_coroutine(state);
  lua_reset_cpu_cycles();
  lua_set_cpu_cycles_slice_max(budget);
  for (;;) {
    lua_cpu_prepare_for_slice();
    lua_cpu_prepare_for_resume();
    run.slices++;
    int result_count = 0;
    RunStatus status = resume(program, state, 0, &result_count);
    if (status == RunStatus::Error) run.error = display_text(state, -1);
    set_top(state, 1);
    if (status != RunStatus::Yield || run.slices > 1000000) break;
  }
  run.cycles = lua_get_cpu_cycles();
  destroy_state(state);
  return run;
}

const char* kLongProgram = R"(
local function work(n)
  local t = {}
  for i = 1, n do t[i] = i * 3 % 7 end
  local s = 0
  for i, v in ipairs(t) do s += v end
  return s
end
local V = setmetatable({}, {__add = function(a, b) return b * 2 end,
                            __index = function(t, k) return #k end})
local text = ""
for round = 1, 12 do
  text = text .. work(round * 5) .. ","
  print(round, work(round), V + round, V.abc, text)
end
__superyield()
print("after superyield")
)";

const char* kNestedProgram = R"(
-- An inner coroutine interrupted by the end of a slice is resumed again by
-- its resumer, which is itself suspended right after the interruption and
-- finds its own escape flag set when it continues.
local function transparent_resume(co, ...)
  __yielded_to_escape_slice(0)
  local results = {coresume(co, ...)}
  while __yielded_to_escape_slice() and costatus(co) == "suspended" do
    __yielded_to_escape_slice(0)
    results = {coresume(co, ...)}
  end
  __yielded_to_escape_slice(0)
  return unpack(results)
end
local function sum_to(n) local x = 0 for j = 1, n do x += j end return x end
local total = 0
for i = 1, 30 do
  local ok, v = transparent_resume(cocreate(sum_to), 20)
  total += v + i
end
print("total", total)
)";

TEST(VmBudget, SlicedRunsMatchTheUnslicedRunExactly) {
  SlicedRun whole = run_in_slices(kLongProgram, 0x3fffffff);
  ASSERT_EQ("", whole.error);
  ASSERT_EQ(1 + 1, whole.slices) << "only the superyield request suspends the unsliced run";
  ASSERT_EQ(13u, whole.printed.size());
  EXPECT_EQ("after superyield", whole.printed[12]);
  for (int32_t budget : {3, 17, 100, 999, 5000}) {
    SlicedRun sliced = run_in_slices(kLongProgram, budget);
    EXPECT_EQ("", sliced.error) << "budget " << budget;
    EXPECT_EQ(whole.printed, sliced.printed) << "budget " << budget;
    EXPECT_EQ(whole.cycles, sliced.cycles) << "budget " << budget;
    EXPECT_GT(sliced.slices, whole.cycles / budget / 2) << "budget " << budget;
  }
}

// The resumer's retry loop does extra work after each interruption, so only
// the results are compared.
TEST(VmBudget, InnerCoroutinesContinueTransparentlyAcrossSlices) {
  SlicedRun whole = run_in_slices(kNestedProgram, 0x3fffffff);
  ASSERT_EQ("", whole.error);
  ASSERT_EQ(std::vector<std::string>{"total 6765"}, whole.printed);
  for (int32_t budget : {3, 17, 100, 999}) {
    SlicedRun sliced = run_in_slices(kNestedProgram, budget);
    EXPECT_EQ("", sliced.error) << "budget " << budget;
    EXPECT_EQ(whole.printed, sliced.printed) << "budget " << budget;
    EXPECT_GT(sliced.slices, 2) << "budget " << budget;
  }
}

TEST(VmBudget, TheMainThreadCannotBeSuspended) {
  std::vector<std::string> printed;
  ThreadState* state = create_test_state(&printed);
  CompileResult compiled = compile_chunk("__superyield() local x = 0 for i = 1, 100 do x += i end print(x)", "main");
  ASSERT_TRUE(compiled.ok());
  lua_reset_cpu_cycles();
  lua_set_cpu_cycles_slice_max(1000000);
  lua_cpu_prepare_for_resume();
  load_function(state, *compiled.function);
  // A superyield request that cannot be honoured is dropped.
  EXPECT_EQ(RunStatus::Ok, protected_call(state, 0, 0));
  EXPECT_EQ(std::vector<std::string>{"5050"}, printed);
  EXPECT_EQ(0, cpu_counters.cpu_superyield);
  // A spent budget on the main thread is an error.
  lua_set_cpu_cycles_slice_max(10);
  lua_reset_cpu_cycles();
  load_function(state, *compiled.function);
  EXPECT_EQ(RunStatus::Error, protected_call(state, 0, 0));
  EXPECT_EQ("attempt to yield from outside a coroutine", display_text(state, -1));
  destroy_state(state);
}

TEST(VmBudget, SuspensionCostsNothingAndRepeatsNothing) {
  // Every instruction of this loop is charged once whatever the slicing:
  // 3 LOADKs + FORPREP, 50 x (ADD + FORLOOP), the last FORLOOP, RETURN.
  const char* source = "local x = 0 for i = 1, 50 do x += 1 end";
  SlicedRun whole = run_in_slices(source, 0x7fffffff);
  int32_t expected = 1 + 3 * 1 + 2 + 50 * 3 + 2 + 2;
  EXPECT_EQ(expected, whole.cycles);
  SlicedRun sliced = run_in_slices(source, 1);
  EXPECT_EQ(expected, sliced.cycles);
  EXPECT_GT(sliced.slices, 50);
}

}  // namespace
}  // namespace tamori::lang::testing

namespace tamori::lang::testing {
namespace {

// Regression: a suspension that fell between a call with open results and
// the call, return or table constructor taking them lost their count.
TEST(VmBudget, OpenResultsSurviveASuspensionBeforeTheirConsumer) {
  const char* program = R"(
local function three() return 1, 2, 3 end
local function pass(...) return ... end
for i = 1, 20 do
  print(select("#", three()), select("#", pass(three())), #{three()})
end
)";
  SlicedRun whole = run_in_slices(program, 0x3fffffff);
  ASSERT_EQ("", whole.error);
  ASSERT_EQ(20u, whole.printed.size());
  EXPECT_EQ("3 3 3", whole.printed[0]);
  for (int32_t budget = 1; budget <= 40; budget++) {
    SlicedRun sliced = run_in_slices(program, budget);
    EXPECT_EQ("", sliced.error) << "budget " << budget;
    EXPECT_EQ(whole.printed, sliced.printed) << "budget " << budget;
  }
}

}  // namespace
}  // namespace tamori::lang::testing

namespace tamori::lang::testing {
namespace {

// The loop's one comparison must fire wherever the full condition holds,
// and match it exactly for every budget a run uses.
TEST(VmBudget, TheQuickCycleTestFiresWhereverTheFullOneDoes) {
  const int32_t budgets[] = {INT32_MIN, -0x40000001, -0x40000000, -1, 0, 1, 0x22222,
                             0x3fffffff, 0x40000000, 0x7ffffffe, INT32_MAX};
  const int32_t slices[] = {INT32_MIN, INT32_MIN + 1, -0x40000001, -0x40000000, -1, 0, 1,
                            0x22221, 0x22222, 0x22223, 0x3fffffff, 0x40000000, INT32_MAX};
  const int32_t saved_budget = cpu_counters.cpu_cycles_slice_max;
  for (bool superyield : {false, true}) {
    for (int32_t budget : budgets) {
      lua_set_cpu_cycles_slice_max(budget);
      if (superyield) lua_cpu_superyield();
      else lua_cpu_cancel_superyield();
      const bool exact = !superyield || (budget >= 0 && budget < kSuperyieldRequest) || budget == INT32_MAX;
      for (int32_t slice : slices) {
        const bool full = (slice | cpu_counters.cpu_superyield) > budget;
        const bool quick = slice >= cpu_counters.cpu_check_from;
        SCOPED_TRACE(::testing::Message() << "superyield " << superyield << " budget " << budget << " slice " << slice);
        if (full) {
          EXPECT_TRUE(quick);
        }
        if (exact && slice != INT32_MAX) {
          EXPECT_EQ(full, quick);
        }
      }
    }
  }
  lua_cpu_cancel_superyield();
  lua_set_cpu_cycles_slice_max(saved_budget);
}

}  // namespace
}  // namespace tamori::lang::testing
