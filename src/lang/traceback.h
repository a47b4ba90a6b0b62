// Tracebacks: the chain of calls of a thread as text, one line per frame,
// innermost first, laid out as the language's own tracebacks are:
//   stack traceback:
//   	chunk:12: in function 'name'
//   	chunk:40: in main chunk
//   	[C]: in ?
#pragma once

#include <string>

#include "lang/state.h"

namespace tamori::lang {

// The frames from `level` (0 = innermost) outwards, after "stack traceback:".
std::string build_traceback(ThreadState* thread, int level);

// The source line the innermost Lua frame of the thread is running, or 0.
int innermost_lua_line(ThreadState* thread);

}  // namespace tamori::lang
