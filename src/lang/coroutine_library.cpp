#include "lang/coroutine_library.h"

#include "lang/api.h"
#include "lang/collector.h"
#include "lang/heap.h"
#include "lang/coresume_shortcut.h"
#include "lang/interpreter.h"

namespace tamori::lang {
namespace {

ThreadState* coroutine_argument(ThreadState* thread, const char* function_name) {
  Value value = value_at(thread, 1);
  if (value.type != ValueType::Thread) {
    raise_error(thread, std::string("bad argument #1 to '") + function_name + "' (coroutine expected)");
  }
  return as_thread(value);
}

int coroutine_create(ThreadState* thread) {
  Value function = value_at(thread, 1);
  if (!is_function(function)) raise_error(thread, "bad argument #1 to 'cocreate' (function expected)");
  set_top(thread, 1);
  new_coroutine(thread);
  return 1;
}

// Returns true and the results or yielded values, or false and the error.
// Called by the prelude's wrapper, it usually finishes the wrapper's call
// too (lang/coresume_shortcut.h).
int coroutine_resume(ThreadState* thread) {
  ThreadState* coroutine = coroutine_argument(thread, "coresume");
  int argument_count = get_top(thread) - 1;
  int result_count = 0;
  RunStatus status = resume(coroutine, thread, argument_count, &result_count);
  push_boolean(thread, status != RunStatus::Error);
  insert(thread, -result_count - 1);
  if (finish_coresume_wrapper(thread, result_count + 1)) return kNativeFinishedItsCaller;
  return result_count + 1;
}

int coroutine_status(ThreadState* thread) {
  ThreadState* coroutine = coroutine_argument(thread, "costatus");
  const char* name = tamori::lang::coroutine_status(coroutine, thread);
  // "running", "suspended", "normal" and "dead" differ in their first letter.
  const int which = name[0] == 'r' ? 0 : name[0] == 's' ? 1 : name[0] == 'n' ? 2 : 3;
  StringObject*& known = thread->global->status_names[which];
  if (known) revive_string(thread->global, known);
  else known = intern_string(thread, name);
  push_value(thread, string_value(known));
  return 1;
}

int coroutine_yield(ThreadState* thread) { return yield(thread, get_top(thread)); }

}  // namespace

void open_coroutine_library(ThreadState* state) {
  register_native(state, "cocreate", coroutine_create);
  register_native(state, "coresume", coroutine_resume);
  // The prelude wraps coresume over this private copy.
  register_native(state, "__coresume", coroutine_resume);
  register_native(state, "costatus", coroutine_status);
  register_native(state, "yield", coroutine_yield);
}

}  // namespace tamori::lang
