// The coresume shortcut finishes the prelude's coresume wrapper from inside
// its resume native. Programs must not be able to tell: with the shortcut on
// and off they print the same, are charged the same cycles and are cut into
// the same slices at every budget.
#include <gtest/gtest.h>

#include "lang/api.h"
#include "lang/compiler.h"
#include "lang/cpu_counters.h"
#include "runner/prelude.h"
#include "script_support.h"

namespace tamori::lang::testing {
namespace {

using namespace tamori::runner;

struct TracedRun {
  std::vector<std::string> printed;
  std::vector<int32_t> cycles_after_each_slice;
  int64_t system_cycles = 0;
  uint32_t shortcuts_taken = 0;
  std::string error;
};

// Runs `program` behind the prelude as the console does, in slices of
// `budget` cycles, recording the cycle count at the end of every slice.
TracedRun run_traced(const std::string& program, int32_t budget, bool shortcut) {
  TracedRun run;
  ProgramTextOptions options;
  options.is_command = true;
  CompileResult compiled = compile_chunk(build_program_text(program, options), kPreludeFirstLine);
  EXPECT_TRUE(compiled.ok()) << compiled.full_message;
  if (!compiled.ok()) return run;
  ThreadState* state = create_test_state(&run.printed);
  // The prelude replaces print; the programs report through this name.
  get_global(state, "print");
  set_global(state, "record");
  state->global->coresume_shortcut_enabled = shortcut;
  load_function(state, *compiled.function);
  ThreadState* main_coroutine = new_coroutine(state);
  lua_reset_cpu_cycles();
  cpu_counters.system_cycles = 0;
  lua_set_cpu_cycles_slice_max(budget);
  for (;;) {
    lua_cpu_prepare_for_slice();
    lua_cpu_prepare_for_resume();
    int result_count = 0;
    RunStatus status = resume(main_coroutine, state, 0, &result_count);
    run.cycles_after_each_slice.push_back(lua_get_cpu_cycles());
    if (status == RunStatus::Error) run.error = display_text(state, -1);
    set_top(state, 1);
    if (status != RunStatus::Yield || run.cycles_after_each_slice.size() > 200000) break;
  }
  run.system_cycles = cpu_counters.system_cycles;
  run.shortcuts_taken = state->global->coresume_shortcuts_taken;
  destroy_state(state);
  return run;
}

// Generators yielding no, one and several values (nil among them), a
// coroutine that fails, resuming a dead one, values passed in both ways,
// and a wrapper call as the last expression of a return.
const char* kCoroutineProgram = R"(
local function generator(n)
  return cocreate(function(a, b)
    for i = 1, n do
      if i % 3 == 0 then yield()
      elseif i % 3 == 1 then yield(i, nil, a)
      else a, b = yield(i * b) end
    end
    return "done", n
  end)
end
local function last_results(co, ...) return coresume(co, ...) end
local total = 0
for round = 1, 6 do
  local co = generator(round + 2)
  while costatus(co) ~= "dead" do
    local ok, x, y, z = coresume(co, round, 2)
    total += (x == nil and 1 or 0) + (y == nil and 2 or 0) + (type(x) == "number" and x or 0)
    record(round, ok, x, y, z)
  end
  record(last_results(co))
  local failing = cocreate(function() local t = nil return t.field end)
  local ok, message = coresume(failing)
  record(ok, message ~= nil)
end
record("total", total)
)";

TEST(CoresumeShortcut, IsTakenAndChargesWhatTheWrapperCharges) {
  TracedRun wrapper = run_traced(kCoroutineProgram, 0x3fffffff, false);
  TracedRun shortcut = run_traced(kCoroutineProgram, 0x3fffffff, true);
  ASSERT_EQ("", wrapper.error);
  ASSERT_EQ("", shortcut.error);
  EXPECT_EQ(0u, wrapper.shortcuts_taken);
  EXPECT_GT(shortcut.shortcuts_taken, 40u);
  ASSERT_GT(wrapper.printed.size(), 30u);
  EXPECT_EQ("total 195", wrapper.printed.back());
  EXPECT_EQ(wrapper.printed, shortcut.printed);
  EXPECT_EQ(wrapper.cycles_after_each_slice, shortcut.cycles_after_each_slice);
  EXPECT_EQ(wrapper.system_cycles, shortcut.system_cycles);
}

// Small budgets make slices end inside the wrapper and inside the resumed
// coroutines; the shortcut must then step aside so that every slice ends
// at the same cycle count.
TEST(CoresumeShortcut, SlicesEndWhereTheyEndWithoutIt) {
  for (int32_t budget = 1; budget <= 160; budget += (budget < 60 ? 1 : 7)) {
    TracedRun wrapper = run_traced(kCoroutineProgram, budget, false);
    TracedRun shortcut = run_traced(kCoroutineProgram, budget, true);
    ASSERT_EQ("", wrapper.error) << "budget " << budget;
    EXPECT_EQ("", shortcut.error) << "budget " << budget;
    EXPECT_EQ(wrapper.printed, shortcut.printed) << "budget " << budget;
    EXPECT_EQ(wrapper.cycles_after_each_slice, shortcut.cycles_after_each_slice) << "budget " << budget;
    EXPECT_EQ(wrapper.system_cycles, shortcut.system_cycles) << "budget " << budget;
    EXPECT_GT(wrapper.cycles_after_each_slice.size(), 20u) << "budget " << budget;
    if (budget >= 100) {
      EXPECT_GT(shortcut.shortcuts_taken, 0u) << "budget " << budget;
    }
  }
}

// The prelude's locals are visible to the program; once it replaces one of
// the natives the wrapper calls, the wrapper runs as written.
// The wrapper's natives are the prelude's own locals: a program's global of
// the same name changes neither the wrapper nor the shortcut.
TEST(CoresumeShortcut, AProgramCannotReplaceTheWrappersNatives) {
  const char* program = R"(
local co = cocreate(function() yield(1) yield(2) end)
record(coresume(co))
__unpack = function(t, i, j) return "replaced", t.n end
record(coresume(co))
)";
  TracedRun run = run_traced(program, 0x3fffffff, true);
  ASSERT_EQ("", run.error);
  EXPECT_EQ((std::vector<std::string>{"true 1", "true 2"}), run.printed);
  EXPECT_EQ(2u, run.shortcuts_taken);
}

}  // namespace
}  // namespace tamori::lang::testing
