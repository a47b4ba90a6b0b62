// The embedding interface as built-in functions use it: arguments by index
// with integer and raw views, results, errors, calls back into the
// language, fast functions without frames, and globals.
#include <gtest/gtest.h>

#include "lang/api.h"
#include "lang/compiler.h"
#include "lang/debug_info.h"
#include "lang/cpu_counters.h"
#include "lang/fixed.h"

namespace tamori::lang {
namespace {

class ApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state = create_state();
    lua_set_cpu_cycles_slice_max(0x3fffffff);
    lua_reset_cpu_cycles();
    lua_cpu_prepare_for_resume();
  }
  void TearDown() override { destroy_state(state); }

  static int setmetatable_native(ThreadState* thread) {
    set_top(thread, 2);
    set_metatable(thread, 1);
    return 1;
  }

  // Runs `source`; returns "" or the error message.
  std::string run(const char* source) {
    CompileResult compiled = compile_chunk(source, "api");
    EXPECT_TRUE(compiled.ok()) << compiled.full_message;
    load_function(state, *compiled.function);
    if (protected_call(state, 0, 0) == RunStatus::Ok) return "";
    std::string_view message;
    std::string text = string_at(state, -1, &message) ? std::string(message) : "(non-string error)";
    set_top(state, 0);
    return text;
  }
  int32_t global_number(const char* name) {
    get_global(state, name);
    int32_t raw = raw_number_at(state, -1);
    set_top(state, -2);
    return raw;
  }

  ThreadState* state = nullptr;
};

size_t frames_seen_by_fast_function = 0;

int32_t fast_sum(ThreadState* thread) {
  frames_seen_by_fast_function = thread->frames.size();
  int32_t total = 0;
  for (int i = 1; i <= fast_argument_count(thread); i++) total += fast_raw_number(thread, i);
  return total;
}

TEST_F(ApiTest, FastFunctionsRunWithoutAFrame) {
  register_fast(state, "sum", fast_sum);
  EXPECT_EQ("", run("a = sum() b = sum(1, '2', {}, 3.5) c, d = sum(1)"));
  EXPECT_EQ(0, global_number("a"));
  EXPECT_EQ(0x68000, global_number("b"));  // 6.5: the table counts as 0
  EXPECT_EQ(fixed_from_int(1), global_number("c"));
  get_global(state, "d");
  EXPECT_EQ(ValueType::Nil, type_at(state, -1));
  EXPECT_EQ(1u, frames_seen_by_fast_function);  // only the main chunk's frame
}

int describe_arguments(ThreadState* thread) {
  push_integer(thread, get_top(thread));
  push_integer(thread, integer_at(thread, 1));
  push_number(thread, raw_number_at(thread, 2));
  push_boolean(thread, truth_at(thread, 3));
  push_string(thread, type_name_at(thread, 4));
  return 5;
}

TEST_F(ApiTest, NativesReadArgumentsLeniently) {
  register_native(state, "describe", describe_arguments);
  EXPECT_EQ("", run("n, i, r, t, k = describe(-2.5, 'x', 0, {})"));
  EXPECT_EQ(fixed_from_int(4), global_number("n"));
  EXPECT_EQ(fixed_from_int(-3), global_number("i"));  // the integer view floors
  EXPECT_EQ(0, global_number("r"));                   // non-numeric text counts as 0
  get_global(state, "t");
  EXPECT_TRUE(truth_at(state, -1));  // 0 is true
  get_global(state, "k");
  std::string_view kind;
  ASSERT_TRUE(string_at(state, -1, &kind));
  EXPECT_EQ("table", kind);
}

int apply_twice(ThreadState* thread) {
  // apply_twice(f, x) = f(f(x)), calling back into the language.
  push_copy(thread, 1);
  push_copy(thread, 1);
  push_copy(thread, 2);
  call(thread, 1, 1);
  call(thread, 1, 1);
  return 1;
}

int fail_with_message(ThreadState* thread) { raise_error(thread, "broken " + where(thread, 1)); }

TEST_F(ApiTest, NativesCallBackAndRaiseErrors) {
  register_native(state, "apply_twice", apply_twice);
  register_native(state, "fail", fail_with_message);
  EXPECT_EQ("", run("r = apply_twice(function(v) return v * 3 end, 2)"));
  EXPECT_EQ(fixed_from_int(18), global_number("r"));
  EXPECT_EQ("broken api:2:", run("\nfail()"));
  EXPECT_EQ("attempt to call a nil value", run("apply_twice(nil, 1)"));
  // An error inside the called-back function unwinds through the native.
  EXPECT_EQ("attempt to concatenate a nil value", run("apply_twice(function() local t = nil .. 'x' end, 1)"));
  EXPECT_EQ("", run("r = apply_twice(function(v) return v + 1 end, 1)"));
  EXPECT_EQ(fixed_from_int(3), global_number("r"));
}

int make_counter(ThreadState* thread) {
  push_integer(thread, 0);
  push_native_closure(thread, [](ThreadState* t) {
    int32_t next = fixed_to_int(native_upvalue(t, 1).number) + 1;
    push_integer(t, next);
    return 1;
  }, 1);
  return 1;
}

TEST_F(ApiTest, NativeClosuresCarryUpvalues) {
  register_native(state, "make_counter", make_counter);
  EXPECT_EQ("", run("local c = make_counter() a = c() b = c()"));
  EXPECT_EQ(fixed_from_int(1), global_number("a"));
  EXPECT_EQ(fixed_from_int(1), global_number("b"));  // upvalues are copies
}

TEST_F(ApiTest, YieldingAcrossANativeCallIsRefused) {
  register_native(state, "apply_twice", apply_twice);
  push_native(state, [](ThreadState* thread) { return yield(thread, 0); });
  set_global(state, "yield");
  push_native(state, [](ThreadState* thread) {
    set_top(thread, 1);
    new_coroutine(thread);
    int count = 0;
    RunStatus status = resume(as_thread(value_at(thread, -1)), thread, 0, &count);
    push_boolean(thread, status == RunStatus::Error);
    insert(thread, -count - 1);
    return count + 1;
  });
  set_global(state, "run_coroutine");
  EXPECT_EQ("", run("failed, message = run_coroutine(function() apply_twice(yield, 1) end)"));
  get_global(state, "message");
  std::string_view message;
  ASSERT_TRUE(string_at(state, -1, &message));
  EXPECT_EQ("attempt to yield across a C-call boundary", message);
}

TEST_F(ApiTest, GlobalsAndTables) {
  push_new_table(state);
  push_integer(state, 7);
  set_field(state, 1, "seven");
  push_string(state, "key");
  push_boolean(state, true);
  raw_set(state, 1);
  set_global(state, "config");
  EXPECT_EQ("", run("a = config.seven b = config.key and 1 or 0 config.added = 5"));
  EXPECT_EQ(fixed_from_int(7), global_number("a"));
  EXPECT_EQ(fixed_from_int(1), global_number("b"));
  get_global(state, "config");
  get_field(state, -1, "added");
  EXPECT_EQ(5, integer_at(state, -1));
}

}  // namespace
}  // namespace tamori::lang

namespace tamori::lang {
namespace {

int trace_native(ThreadState* thread) {
  std::string_view message;
  if (!string_at(thread, 1, &message)) message = "";
  push_string(thread, traceback(thread, message, 1));
  return 1;
}

TEST_F(ApiTest, TracebacksNameFunctionsByHowTheyWereCalled) {
  register_native(state, "trace", trace_native);
  register_native(state, "setmetatable", setmetatable_native);
  EXPECT_EQ("", run("local function inner() local t = trace('msg') return t end\n"
                    "function outer() local r = inner() return r end\n"
                    "result = outer()\n"
                    "local function tail() local t = trace() return t end\n"
                    "local function caller() return tail() end\n"
                    "via_tail = caller()\n"
                    "local m = setmetatable({}, {__index = function() return trace() end})\n"
                    "via_metamethod = m.x\n"));
  auto global_text = [this](const char* name) {
    get_global(state, name);
    std::string_view text;
    EXPECT_TRUE(string_at(state, -1, &text));
    return std::string(text);
  };
  EXPECT_EQ("msg\nstack traceback:\n"
            "\t[string \"api\"]:1: in function 'inner'\n"
            "\t[string \"api\"]:2: in function 'outer'\n"
            "\t[string \"api\"]:3: in main chunk",
            global_text("result"));
  EXPECT_EQ("stack traceback:\n"
            "\t[string \"api\"]:4: in function <[string \"api\"]:4>\n"
            "\t(...tail calls...)\n"
            "\t[string \"api\"]:6: in main chunk",
            global_text("via_tail"));
  EXPECT_EQ("stack traceback:\n"
            "\t[string \"api\"]:7: in function '__index'\n"
            "\t[string \"api\"]:8: in main chunk",
            global_text("via_metamethod"));
}

TEST(DebugInfo, ShortSourcesFollowTheChunkName) {
  EXPECT_EQ("game", short_source("=game"));
  EXPECT_EQ("carts/x.tm", short_source("@carts/x.tm"));
  EXPECT_EQ("[string \"print(1)\"]", short_source("print(1)"));
  EXPECT_EQ("[string \"line one...\"]", short_source("line one\nline two"));
  EXPECT_EQ("[string \"" + std::string(45, 'a') + "...\"]", short_source(std::string(80, 'a')));
}

}  // namespace
}  // namespace tamori::lang

namespace tamori::lang {
namespace {

TEST_F(ApiTest, StackIndexesCountFromTheBaseOrTheTop) {
  push_integer(state, 1);
  push_integer(state, 2);
  push_integer(state, 3);
  EXPECT_EQ(3, get_top(state));
  EXPECT_EQ(3, integer_at(state, -1));
  EXPECT_EQ(1, integer_at(state, -3));
  EXPECT_EQ(ValueType::Nil, type_at(state, 4));
  EXPECT_EQ(ValueType::Nil, type_at(state, -4));
  push_string(state, "first");
  insert(state, 1);
  std::string_view text;
  ASSERT_TRUE(string_at(state, 1, &text));
  EXPECT_EQ("first", text);
  EXPECT_EQ(3, integer_at(state, 4));
  set_top(state, 6);
  EXPECT_EQ(ValueType::Nil, type_at(state, 6));
  set_top(state, -5);  // drops the top four
  EXPECT_EQ(2, get_top(state));
  EXPECT_EQ(1, integer_at(state, 2));
  // Numbers read as text are converted in place.
  ASSERT_TRUE(string_at(state, 2, &text));
  EXPECT_EQ("1", text);
  EXPECT_EQ(ValueType::String, type_at(state, 2));
}

TEST_F(ApiTest, NextEntryWalksATable) {
  EXPECT_EQ("", run("t = {10, 20, x = 30}"));
  get_global(state, "t");
  push_nil(state);
  int32_t total = 0;
  int entries = 0;
  while (next_entry(state, 1)) {
    total += integer_at(state, -1);
    entries++;
    set_top(state, -2);  // keep the key for the next step
  }
  EXPECT_EQ(3, entries);
  EXPECT_EQ(60, total);
  EXPECT_EQ(1, get_top(state));
}

}  // namespace
}  // namespace tamori::lang

namespace tamori::lang {
namespace {

TEST_F(ApiTest, ADeadCoroutineKeepsItsFramesForATraceback) {
  CompileResult compiled = compile_chunk("local function inner(t) return t.x.y end\n"
                                         "function outer() local v = inner({}) return v end\n"
                                         "outer()\n",
                                         "=game");
  ASSERT_TRUE(compiled.ok());
  load_function(state, *compiled.function);
  ThreadState* coroutine = new_coroutine(state);
  int count = 0;
  ASSERT_EQ(RunStatus::Error, resume(coroutine, state, 0, &count));
  std::string_view message;
  ASSERT_TRUE(string_at(state, -1, &message));
  EXPECT_EQ("attempt to index field 'x' (a nil value)", message);
  EXPECT_STREQ("dead", coroutine_status(coroutine, state));
  EXPECT_EQ("stack traceback:\n"
            "\tgame:1: in function 'inner'\n"
            "\tgame:2: in function 'outer'\n"
            "\tgame:3: in main chunk",
            traceback(coroutine, "", 0));
  collect(state);  // the dead coroutine's frames stay valid
  EXPECT_EQ(RunStatus::Error, resume(coroutine, state, 0, &count));
  ASSERT_TRUE(string_at(state, -1, &message));
  EXPECT_EQ("cannot resume dead coroutine", message);
}

}  // namespace
}  // namespace tamori::lang
