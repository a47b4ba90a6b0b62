// Descriptions of the running code for messages: the source position of a
// frame, the name a function was called by, and the stack traceback text.
#pragma once

#include <string>
#include <string_view>

#include "lang/state.h"

namespace tamori::lang {

// The chunk name as messages show it: "=name" as name, "@file" as file,
// other text as [string "first line..."].
std::string short_source(std::string_view source);

// The source line of the instruction a Lua frame is running (or last ran),
// or -1 for a native frame.
int current_line(const CallFrame& frame);

// The name of the function running in frames[index], from the instruction
// of the Lua frame that called it: "global", "local", "method", "field",
// "upvalue", "for iterator" or "metamethod" in `kind`. False when unknown.
bool calling_name(ThreadState* thread, size_t index, std::string* kind, std::string* name);

// The reference design's traceback: `message` (when not empty), a line
// "stack traceback:", then one line per frame from `level` frames below the
// running one ("\n\tchunk:line: in function 'name'", "in main chunk",
// "in function <chunk:line>", "[C]: in ?"), eliding the middle of deep stacks.
std::string traceback(ThreadState* thread, std::string_view message, int level);

}  // namespace tamori::lang
