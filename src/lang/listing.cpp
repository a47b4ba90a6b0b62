#include "lang/listing.h"

#include <cstdio>

#include "lang/number_text.h"

namespace tamori::lang {
namespace {

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 32 || c == 127) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\%d", c);
      out += escape;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

// Constants are shown as -1 - index, registers as they are.
int operand_value(int operand, OperandMode mode) {
  if (mode == OperandMode::RegisterOrConstant && is_constant(operand)) return -1 - constant_index(operand);
  return operand;
}

std::string constant_note(const CompiledFunction& f, int index) {
  if (index < 0 || size_t(index) >= f.constants.size()) return "?";
  const Constant& k = f.constants[size_t(index)];
  if (auto* number = std::get_if<FixedConstant>(&k)) return number_to_text(number->raw);
  return constant_text(k);
}

std::string upvalue_name(const CompiledFunction& f, int index) {
  if (index < 0 || size_t(index) >= f.upvalues.size()) return "?";
  return f.upvalues[size_t(index)].name;
}

std::string instruction_line(const CompiledFunction& f, int pc) {
  Instruction i = f.code[size_t(pc)];
  int op = int(opcode_of(i));
  if (op >= kOpcodeCount) return "\t" + std::to_string(pc + 1) + "\tbad opcode\n";
  const OpcodeInfo& info = kOpcodeInfo[op];
  int a = arg_a(i), b = arg_b(i), c = arg_c(i);
  std::string operands = std::to_string(a);
  std::string note;
  auto rk_note = [&](int operand) {
    return is_constant(operand) ? constant_note(f, constant_index(operand)) : "-";
  };
  switch (info.format) {
    case InstructionFormat::ABC:
      if (info.mode_b != OperandMode::Unused) operands += " " + std::to_string(operand_value(b, info.mode_b));
      if (info.mode_c != OperandMode::Unused) operands += " " + std::to_string(operand_value(c, info.mode_c));
      break;
    case InstructionFormat::ABx:
      if (info.mode_b == OperandMode::RegisterOrConstant) {
        operands += " " + std::to_string(-1 - arg_bx(i));
        note = constant_note(f, arg_bx(i));
      } else if (info.mode_b != OperandMode::Unused) {
        operands += " " + std::to_string(arg_bx(i));
      }
      break;
    case InstructionFormat::AsBx:
      operands += " " + std::to_string(arg_sbx(i));
      note = "to " + std::to_string(pc + 2 + arg_sbx(i));
      break;
    case InstructionFormat::Ax:
      operands = std::to_string(arg_ax(i));
      break;
  }
  switch (opcode_of(i)) {
    case OpCode::GETUPVAL:
    case OpCode::SETUPVAL: note = upvalue_name(f, b); break;
    case OpCode::GETTABUP: note = upvalue_name(f, b) + " " + rk_note(c); break;
    case OpCode::SETTABUP: note = upvalue_name(f, a) + " " + rk_note(b) + " " + rk_note(c); break;
    case OpCode::GETTABLE:
    case OpCode::SELF:
      if (is_constant(c)) note = rk_note(c);
      break;
    case OpCode::SETTABLE:
    case OpCode::EQ:
    case OpCode::LT:
    case OpCode::LE:
    default:
      if (info.format == InstructionFormat::ABC && ((is_constant(b) && info.mode_b == OperandMode::RegisterOrConstant) ||
                                                    (is_constant(c) && info.mode_c == OperandMode::RegisterOrConstant))) {
        note = (info.mode_b == OperandMode::RegisterOrConstant ? rk_note(b) : "-") + " " +
               (info.mode_c == OperandMode::RegisterOrConstant ? rk_note(c) : "-");
      }
      break;
  }
  int line = size_t(pc) < f.line_of_instruction.size() ? f.line_of_instruction[size_t(pc)] : 0;
  char name[16];
  std::snprintf(name, sizeof name, "%-9s", info.name);
  std::string text = "\t" + std::to_string(pc + 1) + "\t[" + std::to_string(line) + "]\t" + name + "\t" + operands;
  if (!note.empty()) text += "\t; " + note;
  return text + "\n";
}

void list_into(const CompiledFunction& f, const std::string& path, std::string& out) {
  out += "function " + path + " (lines " + std::to_string(f.line_defined) + "-" +
         std::to_string(f.last_line_defined) + ", " + std::to_string(f.code.size()) + " instructions)\n";
  out += std::to_string(f.parameter_count) + (f.is_vararg ? "+" : "") + " params, " +
         std::to_string(f.max_stack_size) + " slots, " + std::to_string(f.upvalues.size()) + " upvalues, " +
         std::to_string(f.locals.size()) + " locals, " + std::to_string(f.constants.size()) + " constants, " +
         std::to_string(f.functions.size()) + " functions\n";
  for (size_t pc = 0; pc < f.code.size(); ++pc) out += instruction_line(f, int(pc));
  out += "constants (" + std::to_string(f.constants.size()) + ")\n";
  for (size_t i = 0; i < f.constants.size(); ++i) {
    out += "\t" + std::to_string(i + 1) + "\t" + constant_text(f.constants[i]) + "\n";
  }
  out += "locals (" + std::to_string(f.locals.size()) + ")\n";
  for (size_t i = 0; i < f.locals.size(); ++i) {
    const auto& local = f.locals[i];
    out += "\t" + std::to_string(i) + "\t" + local.name + "\t" + std::to_string(local.start_pc + 1) + "\t" +
           std::to_string(local.end_pc + 1) + "\n";
  }
  out += "upvalues (" + std::to_string(f.upvalues.size()) + ")\n";
  for (size_t i = 0; i < f.upvalues.size(); ++i) {
    const auto& upvalue = f.upvalues[i];
    out += "\t" + std::to_string(i) + "\t" + upvalue.name + "\t" + (upvalue.in_stack ? "1" : "0") + "\t" +
           std::to_string(upvalue.index) + "\n";
  }
  for (size_t i = 0; i < f.functions.size(); ++i) {
    out += "\n";
    list_into(*f.functions[i], path + "." + std::to_string(i + 1), out);
  }
}

}  // namespace

std::string constant_text(const Constant& constant) {
  if (std::holds_alternative<Nil>(constant)) return "nil";
  if (auto* flag = std::get_if<bool>(&constant)) return *flag ? "true" : "false";
  if (auto* number = std::get_if<FixedConstant>(&constant)) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08x", unsigned(number->raw));
    return number_to_text(number->raw) + " (" + hex + ")";
  }
  return quoted(std::get<std::string>(constant));
}

std::string list_function(const CompiledFunction& function) {
  std::string out;
  list_into(function, "main", out);
  return out;
}

}  // namespace tamori::lang
