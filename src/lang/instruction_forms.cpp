#include "lang/instruction_forms.h"

#include "lang/opcodes.h"

namespace tamori::lang {
namespace {

struct Operands {
  const std::vector<Value>& constants;

  const Value* constant(int rk) const {
    if (!is_constant(rk) || size_t(constant_index(rk)) >= constants.size()) return nullptr;
    return &constants[size_t(constant_index(rk))];
  }
  bool number(int rk) const {
    const Value* value = constant(rk);
    return value && is_number(*value);
  }
  bool positive_number(int rk) const { return number(rk) && constant(rk)->number > 0; }
  bool string(int rk) const {
    const Value* value = constant(rk);
    return value && is_string(*value);
  }
};

bool is_register(int rk) { return !is_constant(rk); }

// The form for one instruction; instructions without a better form keep
// their own.
Instruction form_for(Instruction i, const Operands& k) {
  if ((i & 0x3f) >= Instruction(kOpcodeCount)) return i;
  const int b = arg_b(i), c = arg_c(i);
  switch (opcode_of(i)) {
    case OpCode::ADD:
      if (is_register(b) && is_register(c)) return with_form(i, InstructionForm::ADD_RR);
      if (is_register(b) && k.number(c)) return with_form(i, InstructionForm::ADD_RK);
      break;
    case OpCode::SUB:
      if (is_register(b) && k.number(c)) return with_form(i, InstructionForm::SUB_RK);
      break;
    case OpCode::MOD:
      if (is_register(b) && k.positive_number(c)) return with_form(i, InstructionForm::MOD_RK);
      break;
    case OpCode::GETTABLE:
      if (is_register(c)) return with_form(i, InstructionForm::GETTABLE_RR);
      if (k.string(c)) return with_form(i, InstructionForm::GETTABLE_RS);
      break;
    case OpCode::GETTABUP:
      if (k.string(c)) return with_form(i, InstructionForm::GETTABUP_S);
      break;
    case OpCode::SETTABLE:
      if (k.string(b)) return with_form(i, InstructionForm::SETTABLE_S);
      break;
    case OpCode::LT:
      if (is_register(b) && is_register(c)) return with_form(i, InstructionForm::LT_RR);
      if (is_register(b) && k.number(c)) return with_form(i, InstructionForm::LT_RK);
      if (k.number(b) && is_register(c)) return with_form(i, InstructionForm::LT_KR);
      break;
    default: break;
  }
  return i;
}

}  // namespace

void choose_instruction_forms(Prototype* prototype) {
  const Operands operands{prototype->constants};
  for (Instruction& i : prototype->code) i = form_for(i, operands);
}

}  // namespace tamori::lang
