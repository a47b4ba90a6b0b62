#include "lang/variable_names.h"

#include <cstring>

#include "lang/errors.h"
#include "lang/heap.h"
#include "lang/metamethods.h"

namespace tamori::lang {
namespace {

// The name of the n-th (1-based) local active at `pc`, which lives in
// register n - 1.
const char* local_name(const Prototype* prototype, int n, int pc) {
  for (const LocalVariableDescription& local : prototype->locals) {
    if (local.start_pc > pc) break;
    if (pc < local.end_pc) {
      n--;
      if (n == 0) return local.name.c_str();
    }
  }
  return nullptr;
}

const char* upvalue_name(const Prototype* prototype, int index) {
  if (index < 0 || size_t(index) >= prototype->upvalues.size()) return "?";
  const std::string& name = prototype->upvalues[size_t(index)].name;
  return name.empty() ? "?" : name.c_str();
}

std::string constant_name(const Prototype* prototype, int rk) {
  if (is_constant(rk)) {
    size_t index = size_t(constant_index(rk));
    if (index < prototype->constants.size() && is_string(prototype->constants[index])) {
      return std::string(string_view_of(as_string(prototype->constants[index])));
    }
  }
  return "?";
}

// The last instruction before `last_pc` that set register `reg`, or -1 when
// it is unknown (a jump target lies between).
int find_setting_instruction(const Prototype* prototype, int last_pc, int reg) {
  int setting = -1;
  int jump_target = 0;
  for (int pc = 0; pc < last_pc; pc++) {
    Instruction i = prototype->code[size_t(pc)];
    OpCode op = opcode_of(i);
    int a = arg_a(i);
    bool changes = false;
    switch (op) {
      case OpCode::LOADNIL: changes = a <= reg && reg <= a + arg_b(i); break;
      case OpCode::TFORCALL: changes = reg >= a + 2; break;
      case OpCode::CALL:
      case OpCode::TAILCALL: changes = reg >= a; break;
      case OpCode::JMP: {
        int destination = pc + 1 + arg_sbx(i);
        if (pc < destination && destination <= last_pc && destination > jump_target) {
          jump_target = destination;
        }
        break;
      }
      default: changes = kOpcodeInfo[int(op)].sets_a && reg == a; break;
    }
    if (changes) setting = pc < jump_target ? -1 : pc;
  }
  return setting;
}

}  // namespace

bool name_of_register(const Prototype* prototype, int last_pc, int reg, std::string* kind, std::string* name) {
  if (const char* local = local_name(prototype, reg + 1, last_pc)) {
    *kind = "local";
    *name = local;
    return true;
  }
  int pc = find_setting_instruction(prototype, last_pc, reg);
  if (pc == -1) return false;
  Instruction i = prototype->code[size_t(pc)];
  switch (opcode_of(i)) {
    case OpCode::MOVE: {
      int b = arg_b(i);
      if (b < arg_a(i)) return name_of_register(prototype, pc, b, kind, name);
      return false;
    }
    case OpCode::GETTABUP:
    case OpCode::GETTABLE: {
      int table = arg_b(i);
      const char* table_name = opcode_of(i) == OpCode::GETTABLE ? local_name(prototype, table + 1, pc)
                                                                : upvalue_name(prototype, table);
      *name = constant_name(prototype, arg_c(i));
      *kind = (table_name && std::strcmp(table_name, "_ENV") == 0) ? "global" : "field";
      return true;
    }
    case OpCode::GETUPVAL:
      *kind = "upvalue";
      *name = upvalue_name(prototype, arg_b(i));
      return true;
    case OpCode::LOADK:
    case OpCode::LOADKX: {
      int index = opcode_of(i) == OpCode::LOADK ? arg_bx(i) : arg_ax(prototype->code[size_t(pc) + 1]);
      if (size_t(index) < prototype->constants.size() && is_string(prototype->constants[size_t(index)])) {
        *kind = "constant";
        *name = std::string(string_view_of(as_string(prototype->constants[size_t(index)])));
        return true;
      }
      return false;
    }
    case OpCode::SELF:
      *kind = "method";
      *name = constant_name(prototype, arg_c(i));
      return true;
    default: return false;
  }
}

namespace {

bool running_lua_frame(ThreadState* thread) {
  return !thread->frames.empty() && (thread->frames.back().flags & kFrameLua);
}

}  // namespace

bool call_site_name(const Prototype* prototype, int pc, std::string* kind, std::string* name) {
  if (pc < 0 || size_t(pc) >= prototype->code.size()) return false;
  Instruction i = prototype->code[size_t(pc)];
  switch (opcode_of(i)) {
    case OpCode::CALL:
    case OpCode::TAILCALL: return name_of_register(prototype, pc, arg_a(i), kind, name);
    case OpCode::TFORCALL:
      *kind = "for iterator";
      *name = "for iterator";
      return true;
    default: return false;
  }
}

bool register_name(ThreadState* thread, int reg, std::string* kind, std::string* name) {
  if (!running_lua_frame(thread)) return false;
  const CallFrame& frame = thread->frames.back();
  int pc = frame.pc > 0 ? frame.pc - 1 : 0;
  return name_of_register(frame.closure->prototype, pc, reg, kind, name);
}

bool value_origin(ThreadState* thread, const Value* value, std::string* kind, std::string* name) {
  if (!running_lua_frame(thread)) return false;
  const CallFrame& frame = thread->frames.back();
  LuaClosure* closure = frame.closure;
  for (uint32_t i = 0; i < closure->upvalue_count; i++) {
    if (closure->upvalues()[i]->location == value) {
      *kind = "upvalue";
      *name = upvalue_name(closure->prototype, int(i));
      return true;
    }
  }
  const Value* base = thread->stack + frame.base;
  if (value >= base && value < thread->stack + frame.top) {
    return register_name(thread, int(value - base), kind, name);
  }
  return false;
}

void type_error(ThreadState* thread, const Value* value, const char* operation) {
  std::string kind, name;
  if (value_origin(thread, value, &kind, &name)) {
    throw_error_message(thread, std::string("attempt to ") + operation + " " + kind + " '" + name +
                                    "' (a " + type_name(*value) + " value)");
  }
  throw_error_message(thread, std::string("attempt to ") + operation + " a " + type_name(*value) + " value");
}

void arithmetic_error(ThreadState* thread, const Value* a, const Value* b) {
  int32_t ignored;
  const Value* culprit = to_number(*a, &ignored) ? b : a;
  type_error(thread, culprit, "perform arithmetic on");
}

void concatenation_error(ThreadState* thread, const Value* a, const Value* b) {
  const Value* culprit = (is_string(*a) || is_number(*a)) ? b : a;
  type_error(thread, culprit, "concatenate");
}

void order_error(ThreadState* thread, const Value* a, const Value* b) {
  const char* first = type_name(*a);
  const char* second = type_name(*b);
  if (std::strcmp(first, second) == 0) {
    throw_error_message(thread, std::string("attempt to compare two ") + first + " values");
  }
  throw_error_message(thread, std::string("attempt to compare ") + first + " with " + second);
}

}  // namespace tamori::lang
