#include "lang/traceback.h"

#include "lang/variable_names.h"

namespace tamori::lang {
namespace {

int frame_line(const CallFrame& frame) {
  const Prototype* prototype = frame.closure->prototype;
  int pc = frame.pc > 0 ? frame.pc - 1 : 0;
  return size_t(pc) < prototype->line_of_instruction.size() ? prototype->line_of_instruction[size_t(pc)] : 0;
}

// How the caller of frame `index` named the function it called: the call
// instruction the caller is stopped at tells.
bool frame_function_name(const ThreadState* thread, size_t index, std::string* name) {
  if (index == 0 || (thread->frames[index].flags & kFrameTailCall)) return false;
  const CallFrame& caller = thread->frames[index - 1];
  if (!(caller.flags & kFrameLua)) return false;
  std::string kind;
  return call_site_name(caller.closure->prototype, caller.pc > 0 ? caller.pc - 1 : 0, &kind, name);
}

std::string frame_description(const ThreadState* thread, size_t index) {
  const CallFrame& frame = thread->frames[index];
  std::string name;
  bool named = frame_function_name(thread, index, &name);
  if (!(frame.flags & kFrameLua)) return named ? "[C]: in function '" + name + "'" : "[C]: in ?";
  const Prototype* prototype = frame.closure->prototype;
  std::string text = prototype->source_name + ":" + std::to_string(frame_line(frame)) + ": in ";
  if (named) return text + "function '" + name + "'";
  if (prototype->line_defined == 0) return text + "main chunk";
  return text + "function <" + prototype->source_name + ":" + std::to_string(prototype->line_defined) + ">";
}

}  // namespace

std::string build_traceback(ThreadState* thread, int level) {
  std::string text = "stack traceback:";
  for (int index = int(thread->frames.size()) - 1 - level; index >= 0; index--)
    text += "\n\t" + frame_description(thread, size_t(index));
  return text;
}

int innermost_lua_line(ThreadState* thread) {
  for (size_t index = thread->frames.size(); index-- > 0;)
    if (thread->frames[index].flags & kFrameLua) return frame_line(thread->frames[index]);
  return 0;
}

}  // namespace tamori::lang
