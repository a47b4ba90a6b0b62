// The incremental collector through the embedding interface: barriers that
// keep objects stored into black ones, steps that end cycles, the count,
// and stopping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lang/api.h"
#include "lang/collector.h"
#include "lang/compiler.h"
#include "lang/cpu_counters.h"
#include "lang/objects.h"
#include "script_support.h"

namespace tamori::lang {
namespace {

bool is_linked(const GlobalState* global, const GcObject* object) {
  for (const GcObject* o = global->all_objects; o; o = o->next_object) {
    if (o == object) return true;
  }
  return false;
}

// Steps (with the collector stopped, so only these steps run) until `done`
// holds; false when a whole cycle passed without it.
template <typename Condition>
bool step_until(ThreadState* state, Condition done) {
  for (int i = 0; i < 100000; i++) {
    if (done()) return true;
    collect_step(state, 0);
  }
  return done();
}

class CollectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state = testing::create_test_state(&printed);
    lua_set_cpu_cycles_slice_max(0x7fffffff);
    lua_cpu_prepare_for_resume();
  }
  void TearDown() override { destroy_state(state); }

  void run(const char* source) {
    CompileResult compiled = compile_chunk(source, "collector");
    ASSERT_TRUE(compiled.ok()) << compiled.full_message;
    load_function(state, *compiled.function);
    ASSERT_EQ(RunStatus::Ok, protected_call(state, 0, 0)) << testing::display_text(state, -1);
  }
  Collector& collector() { return state->global->collector; }

  // Pushes (and returns) a table holding "marker" at index 1.
  TableObject* push_marked_table() {
    push_new_table(state);
    push_string(state, "marker");
    raw_set_integer(state, -2, 1);
    return as_table(value_at(state, -1));
  }

  std::vector<std::string> printed;
  ThreadState* state = nullptr;
};

TEST_F(CollectorTest, ATableStoredIntoABlackTableSurvivesTheCycle) {
  set_collector_running(state, false);
  push_registry(state);
  push_new_table(state);
  set_field(state, -2, "holder");
  get_field(state, -1, "holder");
  TableObject* holder = as_table(value_at(state, -1));
  set_top(state, 0);
  ASSERT_TRUE(step_until(state, [&] { return is_black(holder); }));
  ASSERT_EQ(CollectorPhase::Propagate, collector().phase);

  push_registry(state);
  get_field(state, -1, "holder");
  TableObject* stored = push_marked_table();
  EXPECT_TRUE(is_white(stored));
  set_field(state, -2, "child");  // the only reference: from the black holder
  set_top(state, 0);
  EXPECT_FALSE(is_black(holder));  // the barrier grayed it again

  ASSERT_TRUE(step_until(state, [&] { return collector().phase == CollectorPhase::Pause; }));
  EXPECT_TRUE(is_linked(state->global, stored));
  collect(state);
  push_registry(state);
  get_field(state, -1, "holder");
  get_field(state, -1, "child");
  raw_get_integer(state, -1, 1);
  EXPECT_EQ("marker", testing::display_text(state, -1));
}

TEST_F(CollectorTest, AValueStoredIntoABlackUpvalueSurvivesTheCycle) {
  run("local kept = {} function set(v) kept = v end function get() return kept end");
  set_collector_running(state, false);
  get_global(state, "get");
  Upvalue* upvalue = as_lua_closure(value_at(state, -1))->upvalues()[0];
  set_top(state, 0);
  ASSERT_FALSE(upvalue->is_open());
  ASSERT_TRUE(step_until(state, [&] { return is_black(upvalue); }));
  ASSERT_EQ(CollectorPhase::Propagate, collector().phase);

  get_global(state, "set");
  TableObject* stored = push_marked_table();
  call(state, 1, 0);
  set_top(state, 0);
  ASSERT_TRUE(step_until(state, [&] { return collector().phase == CollectorPhase::Pause; }));
  EXPECT_TRUE(is_linked(state->global, stored));
  get_global(state, "get");
  call(state, 0, 1);
  raw_get_integer(state, -1, 1);
  EXPECT_EQ("marker", testing::display_text(state, -1));
}

TEST_F(CollectorTest, ASetMetatableOnABlackTableKeepsTheMetatable) {
  set_collector_running(state, false);
  push_registry(state);
  push_new_table(state);
  set_field(state, -2, "object");
  get_field(state, -1, "object");
  TableObject* object = as_table(value_at(state, -1));
  set_top(state, 0);
  ASSERT_TRUE(step_until(state, [&] { return is_black(object); }));

  push_registry(state);
  get_field(state, -1, "object");
  TableObject* metatable = push_marked_table();
  set_metatable(state, -2);
  set_top(state, 0);
  ASSERT_TRUE(step_until(state, [&] { return collector().phase == CollectorPhase::Pause; }));
  EXPECT_TRUE(is_linked(state->global, metatable));
}

TEST_F(CollectorTest, StepsEndACycleInABoundedNumberOfCalls) {
  run("keep = {} for i = 1, 2000 do keep[i] = {i, {}} end");
  collect(state);
  ASSERT_EQ(CollectorPhase::Pause, collector().phase);
  set_collector_running(state, false);

  int calls = 0;
  bool finished = false;
  while (!finished && calls < 1000) {
    finished = collect_step(state, 1);
    calls++;
  }
  EXPECT_TRUE(finished);
  // 4000 tables are far more than one small step traces.
  EXPECT_GT(calls, 2);
  EXPECT_EQ(CollectorPhase::Pause, collector().phase);

  // A large step runs a whole cycle at once, and never past its end.
  EXPECT_TRUE(collect_step(state, 100000));
  EXPECT_FALSE(collect_step(state, 0));
  EXPECT_NE(CollectorPhase::Pause, collector().phase);
}

TEST_F(CollectorTest, TheCountDropsAfterAFullCollection) {
  run("for i = 1, 500 do local t = {i, i .. 'garbage'} end");
  int32_t before = memory_in_use(state);
  collect(state);
  EXPECT_LT(memory_in_use(state), before - 500 * int32_t(sizeof(TableObject)) / 2);
}

// costatus keeps the names it returns; one the collector frees must be
// forgotten, not returned again from freed memory.
TEST_F(CollectorTest, CoroutineStatusNamesOutliveTheirCollection) {
  run("c = cocreate(function() yield() end) s = costatus(c) s = nil");
  collect(state);
  EXPECT_EQ(nullptr, state->global->status_names[1]);  // "suspended" was freed
  run("assert(costatus(c) == 'suspended') coresume(c) coresume(c) "
      "assert(costatus(c) == 'dead') assert(costatus(c) .. '!' == 'dead!')");
}

TEST_F(CollectorTest, AFullCollectionInTheMiddleOfACycleFreesWhatDiedSinceItStarted) {
  run("keep = {} for i = 1, 300 do keep[i] = {} end");
  set_collector_running(state, false);
  collect_step(state, 0);
  collect_step(state, 0);
  ASSERT_EQ(CollectorPhase::Propagate, collector().phase);
  int32_t before = memory_in_use(state);
  run("keep = nil");
  collect(state);
  EXPECT_EQ(CollectorPhase::Pause, collector().phase);
  EXPECT_LT(memory_in_use(state), before - 300 * int32_t(sizeof(TableObject)) / 2);
}

TEST_F(CollectorTest, AStoppedCollectorMakesNoAutomaticSteps) {
  const char* garbage = "for i = 1, 20000 do local t = {i} end";
  set_collector_running(state, false);
  EXPECT_FALSE(collector_running(state));
  int32_t before = memory_in_use(state);
  run(garbage);
  EXPECT_EQ(CollectorPhase::Pause, collector().phase);
  EXPECT_GT(memory_in_use(state), before + 20000 * int32_t(sizeof(TableObject)) / 2);

  collect(state);
  set_collector_running(state, true);
  EXPECT_TRUE(collector_running(state));
  before = memory_in_use(state);
  run(garbage);
  EXPECT_LT(memory_in_use(state), before + 20000 * int32_t(sizeof(TableObject)) / 2);
}

// Strings in weak tables are values: kept, and kept alive.
TEST_F(CollectorTest, BuiltStringsInWeakTablesStayIntact) {
  run(R"(
    weak_values = setmetatable({}, {__mode = "v"})
    weak_keys = setmetatable({}, {__mode = "k"})
    for i = 1, 20 do
      weak_values[i] = "value " .. i
      weak_keys["key " .. i] = i
    end
    collect() collect()
    local joined, total = "", 0
    for i = 1, 20 do joined = joined .. weak_values[i] end
    for k, v in pairs(weak_keys) do total += #k + v end
    print(#joined, total)
  )");
  // "value 1".."value 9" are 7 characters, the other 11 are 8; keys are one
  // character shorter, plus the values 1..20.
  EXPECT_EQ(std::vector<std::string>{"151 321"}, printed);
}

// Pause and step multiplier only pace the automatic steps.
TEST_F(CollectorTest, PacingChangesHowMuchEachStepDoes) {
  run("keep = {} for i = 1, 2000 do keep[i] = {i} end");
  collect(state);
  set_collector_running(state, false);
  auto calls_for_a_cycle = [this] {
    int calls = 0;
    while (!collect_step(state, 1) && calls < 5000) calls++;
    return calls;
  };
  set_collector_pacing(state, 100, 100);
  int slow = calls_for_a_cycle();
  set_collector_pacing(state, 100, 400);
  int fast = calls_for_a_cycle();
  EXPECT_GT(slow, fast);
}

}  // namespace
}  // namespace tamori::lang
