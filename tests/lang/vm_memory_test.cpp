// The memory meter's charges per kind of object, the limits, and the
// collector giving memory back.
#include <gtest/gtest.h>

#include <string>

#include "lang/api.h"
#include "lang/compiler.h"
#include "lang/cpu_counters.h"
#include "lang/objects.h"
#include "script_support.h"

namespace tamori::lang {
namespace {

class MemoryTest : public ::testing::Test {
 protected:
  void SetUp() override { state = create_state(); }
  void TearDown() override { destroy_state(state); }
  ThreadState* state = nullptr;
};

TEST_F(MemoryTest, ObjectsAreChargedByKind) {
  int32_t before = memory_in_use(state);
  push_string(state, std::string(100, 'x'));
  EXPECT_EQ(int32_t(sizeof(StringObject) + 101 - 8), memory_in_use(state) - before);

  before = memory_in_use(state);
  push_new_table(state);
  EXPECT_EQ(int32_t(sizeof(TableObject) / 2), memory_in_use(state) - before);

  before = memory_in_use(state);
  push_new_table(state, 10, 0);
  EXPECT_EQ(int32_t(sizeof(TableObject) / 2 + 10 * sizeof(Value) / 2), memory_in_use(state) - before);

  // A coroutine is charged a flat 32 bytes plus half of its stack.
  push_native(state, [](ThreadState*) { return 0; });
  before = memory_in_use(state);
  ThreadState* coroutine = new_coroutine(state);
  EXPECT_EQ(int32_t(32 + coroutine->stack_size * sizeof(Value) / 2), memory_in_use(state) - before);
}

TEST_F(MemoryTest, TheRegistryKeepsValuesAlive) {
  push_registry(state);
  push_new_table(state);
  push_string(state, "kept");
  set_field(state, -2, "name");
  set_field(state, -2, "entry");
  set_top(state, 0);
  collect(state);
  push_registry(state);
  get_field(state, -1, "entry");
  get_field(state, -1, "name");
  std::string_view text;
  ASSERT_TRUE(string_at(state, -1, &text));
  EXPECT_EQ("kept", text);
}

TEST_F(MemoryTest, RawMemoryIsFreeWhileCompiling) {
  memory_meter(state).compiling = true;
  int32_t before = memory_in_use(state);
  push_new_table(state, 64, 0);
  EXPECT_EQ(int32_t(sizeof(TableObject) / 2), memory_in_use(state) - before);
  memory_meter(state).compiling = false;
}

TEST_F(MemoryTest, CollectionGivesBackEverythingUnreachable) {
  auto make_garbage = [this] {
    for (int i = 0; i < 50; i++) {
      push_new_table(state, 8, 8);
      push_string(state, "garbage " + std::to_string(i));
    }
    push_new_table(state);
    push_copy(state, -1);
    set_field(state, -2, "self");  // a cycle
  };
  // The first round also grows the stack, which stays grown.
  make_garbage();
  set_top(state, 0);
  collect(state);
  int32_t baseline = memory_in_use(state);
  make_garbage();
  EXPECT_GT(memory_in_use(state), baseline);
  set_top(state, 0);
  collect(state);
  EXPECT_EQ(baseline, memory_in_use(state));
}

TEST_F(MemoryTest, ScriptGarbageIsReclaimed) {
  std::vector<std::string> printed;
  ThreadState* test_state = testing::create_test_state(&printed);
  CompileResult compiled = compile_chunk(R"(
    keep = {}
    for i = 1, 3000 do
      local t = {i, i .. "x", function() return i end}
      t.self = t
      if i % 1000 == 0 then keep[#keep + 1] = t end
      local co = cocreate(function() local l = {} yield(function() return l end) end)
      coresume(co)
    end
    collect()
    print(#keep, keep[3][2], keep[2][3]())
  )", "garbage");
  ASSERT_TRUE(compiled.ok());
  lua_set_cpu_cycles_slice_max(0x7fffffff);
  load_function(test_state, *compiled.function);
  ASSERT_EQ(RunStatus::Ok, protected_call(test_state, 0, 0)) << testing::display_text(test_state, -1);
  EXPECT_EQ(std::vector<std::string>{"3 3000x 2000"}, printed);
  // Far below what 3000 tables, closures and coroutines would take.
  EXPECT_LT(memory_in_use(test_state), 64 * 1024);
  destroy_state(test_state);
}

// The host collects between slices with nothing running: a failing
// finalizer cannot be reported to anyone then, and must not escape.
TEST_F(MemoryTest, AFailingFinalizerRunByTheHostIsDropped) {
  std::vector<std::string> printed;
  ThreadState* test_state = testing::create_test_state(&printed);
  CompileResult compiled = compile_chunk(R"(
    runs = 0
    setmetatable({}, {__gc = function() runs += 1 error("lost") end})
    setmetatable({}, {__gc = function() runs += 1 end})
  )", "finalizers");
  ASSERT_TRUE(compiled.ok());
  load_function(test_state, *compiled.function);
  ASSERT_EQ(RunStatus::Ok, protected_call(test_state, 0, 0));
  EXPECT_NO_THROW(collect(test_state));
  get_global(test_state, "runs");
  EXPECT_EQ(2, integer_at(test_state, -1));
  destroy_state(test_state);
}

// Indexing a string makes a string, so it is a point where a collection may
// run: here the only one after the finalizable table became unreachable.
TEST_F(MemoryTest, IndexingAStringIsACollectionPoint) {
  testing::ScriptRun run = testing::run_script(R"(
    ran = false
    local s = "abc"
    local t = setmetatable({}, {__gc = function() ran = true end})
    t = nil
    local clear_argument_slots, clear_metatable_slot = nil, nil
    local c = s[1]
    local finalized = ran
    print(finalized, c)
  )", "string_index", true);
  ASSERT_TRUE(run.compiled) << run.compile_error;
  EXPECT_FALSE(run.failed) << run.error_message;
  EXPECT_EQ(std::vector<std::string>{"true a"}, run.printed);
}

TEST_F(MemoryTest, DeepRecursionGivesItsStackBackAtTheNextCollection) {
  CompileResult compiled = compile_chunk(
      "local function depth(n) if n == 0 then return 0 end return 1 + depth(n - 1) end depth(5000)", "deep");
  ASSERT_TRUE(compiled.ok());
  lua_set_cpu_cycles_slice_max(0x3fffffff);
  collect(state);
  int32_t before = memory_in_use(state);
  load_function(state, *compiled.function);
  ASSERT_EQ(RunStatus::Ok, protected_call(state, 0, 0));
  EXPECT_GT(memory_in_use(state), before + 5000 * int32_t(sizeof(Value)) / 2);
  collect(state);
  EXPECT_LT(memory_in_use(state), before + 4096);
}

std::vector<std::string> allocation_messages;

void record_message(void*, const char* line) { allocation_messages.push_back(line); }

TEST_F(MemoryTest, TheSoftLimitRequestsASuperyieldAndTheHardLimitFails) {
  MemoryMeter& meter = memory_meter(state);
  lua_cpu_prepare_for_resume();
  meter.token_overhead = 0x204000 - meter.bytes + 1;
  push_new_table(state);
  EXPECT_TRUE(meter.out_of_memory_flag);
  EXPECT_EQ(kSuperyieldRequest, cpu_counters.cpu_superyield);
  lua_cpu_prepare_for_resume();

  allocation_messages.clear();
  meter.message_hook = record_message;
  meter.token_overhead = 0x4000000 - meter.bytes + 1;
  push_native(state, [](ThreadState* thread) {
    push_new_table(thread);
    return 1;
  });
  EXPECT_EQ(RunStatus::Error, protected_call(state, 0, 1));
  std::string_view message;
  ASSERT_TRUE(string_at(state, -1, &message));
  EXPECT_EQ("not enough memory", message);
  EXPECT_TRUE(meter.allocation_error_reported);
  ASSERT_EQ(2u, allocation_messages.size());
  EXPECT_EQ("host allocation error", allocation_messages[0]);
  EXPECT_EQ("64mb + 0k\n", allocation_messages[1]);
  meter.token_overhead = 0;
  lua_cpu_prepare_for_resume();
}

}  // namespace
}  // namespace tamori::lang
