// Tracebacks name each frame as the call site named it, and an error that
// ends a coroutine leaves its traceback and line behind.
#include <gtest/gtest.h>

#include "lang/api.h"
#include "lang/compiler.h"
#include "script_support.h"

namespace tamori::lang::testing {
namespace {

int live_traceback(ThreadState* thread) {
  push_string(thread, traceback(thread, 1));
  return 1;
}

TEST(Traceback, AnErrorEndingACoroutineKeepsWhereItHappened) {
  const char* source =
      "local function inner()\n"
      "  local t = nil\n"
      "  return t.x\n"
      "end\n"
      "function outer() return 1 + inner() end\n"
      "outer()\n";
  CompileResult compiled = compile_chunk(source, "prog");
  ASSERT_TRUE(compiled.ok()) << compiled.full_message;
  std::vector<std::string> printed;
  ThreadState* state = create_test_state(&printed);
  load_function(state, *compiled.function);
  ThreadState* program = new_coroutine(state);
  int results = 0;
  ASSERT_EQ(resume(program, state, 0, &results), RunStatus::Error);
  EXPECT_EQ(error_line(program), 3);
  EXPECT_EQ(error_traceback(program),
            "stack traceback:\n\tprog:3: in function 'inner'\n\tprog:5: in function 'outer'\n\tprog:6: in main chunk");
  destroy_state(state);
}

TEST(Traceback, ALiveTracebackStartsAtTheCaller) {
  const char* source =
      "local text\n"
      "local function f() text = where_am_i() end\n"
      "local g = function() f() end\n"
      "g()\n"
      "print(text)\n";
  CompileResult compiled = compile_chunk(source, "live");
  ASSERT_TRUE(compiled.ok()) << compiled.full_message;
  std::vector<std::string> printed;
  ThreadState* state = create_test_state(&printed);
  register_native(state, "where_am_i", live_traceback);
  load_function(state, *compiled.function);
  ASSERT_EQ(protected_call(state, 0, 0), RunStatus::Ok);
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0], "stack traceback:\n\tlive:2: in function 'f'\n\tlive:3: in function 'g'\n\tlive:4: in main chunk");
  destroy_state(state);
}

}  // namespace
}  // namespace tamori::lang::testing
