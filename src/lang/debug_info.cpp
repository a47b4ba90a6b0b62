#include "lang/debug_info.h"

#include "lang/heap.h"
#include "lang/variable_names.h"

namespace tamori::lang {
namespace {

constexpr size_t kSourceIdSize = 60;  // room for a chunk id, with its end byte
constexpr int kTracebackHead = 12;    // frames shown before an elision
constexpr int kTracebackTail = 11;    // frames shown after it

const char* metamethod_event_name(ThreadState* thread, Instruction i) {
  Event event;
  switch (opcode_of(i)) {
    case OpCode::SELF:
    case OpCode::GETTABUP:
    case OpCode::GETTABLE: event = Event::Index; break;
    case OpCode::SETTABUP:
    case OpCode::SETTABLE: event = Event::NewIndex; break;
    case OpCode::UNM: event = Event::Unm; break;
    case OpCode::LEN: event = Event::Len; break;
    case OpCode::CONCAT: event = Event::Concat; break;
    case OpCode::EQ: event = Event::Eq; break;
    case OpCode::LT: event = Event::Lt; break;
    case OpCode::LE: event = Event::Le; break;
    default: {
      int op = int(opcode_of(i));
      if (op < int(OpCode::ADD) || op > int(OpCode::PEEK4)) return nullptr;
      event = Event(int(Event::Add) + op - int(OpCode::ADD));
      break;
    }
  }
  const StringObject* name = thread->global->event_names[int(event)];
  return name->bytes();
}

}  // namespace

std::string short_source(std::string_view source) {
  const size_t limit = kSourceIdSize - 1;
  if (!source.empty() && source[0] == '=') return std::string(source.substr(1, limit));
  if (!source.empty() && source[0] == '@') {
    std::string_view file = source.substr(1);
    if (file.size() <= limit) return std::string(file);
    return "..." + std::string(file.substr(file.size() - (limit - 3)));
  }
  const std::string_view before = "[string \"", dots = "...", after = "\"]";
  size_t room = limit - before.size() - dots.size() - after.size();
  size_t newline = source.find('\n');
  if (source.size() < room && newline == std::string_view::npos) {
    return std::string(before) + std::string(source) + std::string(after);
  }
  size_t length = newline != std::string_view::npos ? newline : source.size();
  if (length > room) length = room;
  return std::string(before) + std::string(source.substr(0, length)) + std::string(dots) + std::string(after);
}

int current_line(const CallFrame& frame) {
  if (!(frame.flags & kFrameLua)) return -1;
  const Prototype* prototype = frame.closure->prototype;
  size_t pc = size_t(frame.pc > 0 ? frame.pc - 1 : 0);
  return pc < prototype->line_of_instruction.size() ? prototype->line_of_instruction[pc] : -1;
}

bool calling_name(ThreadState* thread, size_t index, std::string* kind, std::string* name) {
  if (index == 0 || index >= thread->frames.size()) return false;
  const CallFrame& frame = thread->frames[index];
  if (frame.flags & kFrameTailCall) return false;
  const CallFrame& caller = thread->frames[index - 1];
  if (!(caller.flags & kFrameLua) || caller.pc <= 0) return false;
  const Prototype* prototype = caller.closure->prototype;
  int pc = caller.pc - 1;
  Instruction i = prototype->code[size_t(pc)];
  switch (opcode_of(i)) {
    case OpCode::CALL:
    case OpCode::TAILCALL: return name_of_register(prototype, pc, arg_a(i), kind, name);
    case OpCode::TFORCALL:
      *kind = "for iterator";
      *name = "for iterator";
      return true;
    default: {
      const char* event = metamethod_event_name(thread, i);
      if (!event) return false;
      *kind = "metamethod";
      *name = event;
      return true;
    }
  }
}

std::string traceback(ThreadState* thread, std::string_view message, int level) {
  std::string text;
  if (!message.empty()) {
    text += message;
    text += '\n';
  }
  text += "stack traceback:";
  int last = int(thread->frames.size()) - 1;  // the running frame is level 0
  int count = last - level + 1;
  bool elide = count > kTracebackHead + kTracebackTail;
  for (int n = 0; n < count; n++) {
    if (elide && n == kTracebackHead) {
      text += "\n\t...";
      n = count - kTracebackTail;
    }
    int index = last - level - n;
    const CallFrame& frame = thread->frames[size_t(index)];
    std::string kind, name;
    if (frame.flags & kFrameLua) {
      const Prototype* prototype = frame.closure->prototype;
      text += "\n\t" + short_source(prototype->source_name) + ":";
      int line = current_line(frame);
      if (line > 0) text += std::to_string(line) + ":";
      text += " in ";
      if (calling_name(thread, size_t(index), &kind, &name)) text += "function '" + name + "'";
      else if (prototype->line_defined == 0) text += "main chunk";
      else text += "function <" + short_source(prototype->source_name) + ":" + std::to_string(prototype->line_defined) + ">";
    } else {
      text += "\n\t[C]: in ";
      if (calling_name(thread, size_t(index), &kind, &name)) text += "function '" + name + "'";
      else text += "?";
    }
    if (frame.flags & kFrameTailCall) text += "\n\t(...tail calls...)";
  }
  return text;
}

}  // namespace tamori::lang
