#include "lang/code_generator.h"

#include <cstdlib>

#include "lang/number_ops.h"

namespace tamori::lang {
namespace {

using K = ExpressionKind;

Instruction with_a(Instruction i, int a) {
  return (i & ~(Instruction(kMaxArgA) << kPosA)) | (Instruction(a) << kPosA);
}
Instruction with_b(Instruction i, int b) {
  return (i & ~(Instruction(kMaxArgB) << kPosB)) | (Instruction(b) << kPosB);
}
Instruction with_c(Instruction i, int c) {
  return (i & ~(Instruction(kMaxArgC) << kPosC)) | (Instruction(c) << kPosC);
}
Instruction with_sbx(Instruction i, int sbx) {
  return (i & ~(Instruction(kMaxArgBx) << kPosBx)) | (Instruction(sbx + kMaxArgSBx) << kPosBx);
}

bool is_test_instruction(Instruction i) { return kOpcodeInfo[int(opcode_of(i))].is_test; }

// --- jump lists -------------------------------------------------------------
// A jump list threads pending jumps through their own offset fields; the
// last one holds kNoJump.

int jump_destination(FunctionState& fs, int pc) {
  int offset = arg_sbx(fs.function->code[pc]);
  return offset == kNoJump ? kNoJump : pc + 1 + offset;
}

void set_jump_destination(FunctionState& fs, int pc, int destination) {
  int offset = destination - (pc + 1);
  if (std::abs(offset) > kMaxArgSBx) semantic_error(fs, "control structure too long");
  Instruction& jump = fs.function->code[pc];
  jump = with_sbx(jump, offset);
}

// The instruction that decides a jump: the test before it, if any.
Instruction& jump_control(FunctionState& fs, int pc) {
  auto& code = fs.function->code;
  if (pc >= 1 && is_test_instruction(code[pc - 1])) return code[pc - 1];
  return code[pc];
}

// Whether some jump of the list is not a TESTSET (so it produces no value).
bool list_needs_value(FunctionState& fs, int list) {
  for (; list != kNoJump; list = jump_destination(fs, list)) {
    if (opcode_of(jump_control(fs, list)) != OpCode::TESTSET) return true;
  }
  return false;
}

// Points a TESTSET at `reg`, or turns it into a TEST when no register wants
// the value. Returns false when the jump is not controlled by a TESTSET.
bool patch_test_register(FunctionState& fs, int node, int reg) {
  Instruction& control = jump_control(fs, node);
  if (opcode_of(control) != OpCode::TESTSET) return false;
  if (reg != kNoRegister && reg != arg_b(control)) {
    control = with_a(control, reg);
  } else {
    control = make_abc(OpCode::TEST, arg_b(control), 0, arg_c(control));
  }
  return true;
}

void remove_values(FunctionState& fs, int list) {
  for (; list != kNoJump; list = jump_destination(fs, list)) patch_test_register(fs, list, kNoRegister);
}

void patch_list_with_values(FunctionState& fs, int list, int value_target, int reg,
                            int default_target) {
  while (list != kNoJump) {
    int next = jump_destination(fs, list);
    if (patch_test_register(fs, list, reg)) set_jump_destination(fs, list, value_target);
    else set_jump_destination(fs, list, default_target);
    list = next;
  }
}

void discharge_pending_jumps(FunctionState& fs) {
  int pc = current_pc(fs);
  patch_list_with_values(fs, fs.pending_jumps, pc, kNoRegister, pc);
  fs.pending_jumps = kNoJump;
}

int emit_conditional_jump(FunctionState& fs, OpCode op, int a, int b, int c) {
  emit_abc(fs, op, a, b, c);
  return emit_jump(fs);
}

// --- constants --------------------------------------------------------------

int add_constant(FunctionState& fs, const std::string& key, Constant value) {
  auto found = fs.constant_index.find(key);
  if (found != fs.constant_index.end()) return found->second;
  auto& constants = fs.function->constants;
  if (int(constants.size()) >= kMaxArgAx) check_limit(fs, int(constants.size()) + 1, kMaxArgAx, "constants");
  int index = int(constants.size());
  constants.push_back(std::move(value));
  fs.constant_index.emplace(key, index);
  return index;
}

int boolean_constant(FunctionState& fs, bool value) {
  return add_constant(fs, value ? "b1" : "b0", Constant(value));
}

int nil_constant(FunctionState& fs) { return add_constant(fs, "n", Constant(Nil{})); }

void free_register(FunctionState& fs, int reg) {
  if (!is_constant(reg) && reg >= fs.active_locals) --fs.free_register;
}

void discharge_to_register(FunctionState& fs, Expression& e, int reg) {
  discharge_variables(fs, e);
  switch (e.kind) {
    case K::Nil: emit_nil(fs, reg, 1); break;
    case K::False:
    case K::True: emit_abc(fs, OpCode::LOADBOOL, reg, e.kind == K::True, 0); break;
    case K::Constant: emit_load_constant(fs, reg, e.info); break;
    case K::Number: emit_load_constant(fs, reg, number_constant(fs, e.number)); break;
    case K::Relocable: {
      Instruction& i = instruction_of(fs, e);
      i = with_a(i, reg);
      break;
    }
    case K::NonRelocable:
      if (reg != e.info) emit_abc(fs, OpCode::MOVE, reg, e.info, 0);
      break;
    default: return;  // Void or Jump: nothing to place
  }
  e.info = reg;
  e.kind = K::NonRelocable;
}

void discharge_to_any_register(FunctionState& fs, Expression& e) {
  if (e.kind != K::NonRelocable) {
    reserve_registers(fs, 1);
    discharge_to_register(fs, e, fs.free_register - 1);
  }
}

int emit_boolean_label(FunctionState& fs, int a, int b, int skip) {
  mark_jump_target(fs);
  return emit_abc(fs, OpCode::LOADBOOL, a, b, skip);
}

void expression_to_register(FunctionState& fs, Expression& e, int reg) {
  discharge_to_register(fs, e, reg);
  if (e.kind == K::Jump) concat_jump_lists(fs, &e.true_list, e.info);
  if (has_jumps(e)) {
    int load_false = kNoJump;
    int load_true = kNoJump;
    if (list_needs_value(fs, e.true_list) || list_needs_value(fs, e.false_list)) {
      int skip = e.kind == K::Jump ? kNoJump : emit_jump(fs);
      load_false = emit_boolean_label(fs, reg, 0, 1);
      load_true = emit_boolean_label(fs, reg, 1, 0);
      patch_to_here(fs, skip);
    }
    int end = mark_jump_target(fs);
    patch_list_with_values(fs, e.false_list, end, reg, load_false);
    patch_list_with_values(fs, e.true_list, end, reg, load_true);
  }
  e.false_list = e.true_list = kNoJump;
  e.info = reg;
  e.kind = K::NonRelocable;
}

void invert_jump(FunctionState& fs, Expression& e) {
  Instruction& control = jump_control(fs, e.info);
  control = with_a(control, !arg_a(control));
}

int jump_on_condition(FunctionState& fs, Expression& e, int condition) {
  if (e.kind == K::Relocable) {
    Instruction i = instruction_of(fs, e);
    if (opcode_of(i) == OpCode::NOT) {
      // Test the operand of the NOT instead, with the condition inverted.
      fs.function->code.pop_back();
      fs.function->line_of_instruction.pop_back();
      return emit_conditional_jump(fs, OpCode::TEST, arg_b(i), 0, !condition);
    }
  }
  discharge_to_any_register(fs, e);
  free_expression(fs, e);
  return emit_conditional_jump(fs, OpCode::TESTSET, kNoRegister, e.info, condition);
}

void emit_not(FunctionState& fs, Expression& e) {
  discharge_variables(fs, e);
  switch (e.kind) {
    case K::Nil:
    case K::False: e.kind = K::True; break;
    case K::Constant:
    case K::Number:
    case K::True: e.kind = K::False; break;
    case K::Jump: invert_jump(fs, e); break;
    case K::Relocable:
    case K::NonRelocable:
      discharge_to_any_register(fs, e);
      free_expression(fs, e);
      e.info = emit_abc(fs, OpCode::NOT, 0, e.info, 0);
      e.kind = K::Relocable;
      break;
    default: break;
  }
  std::swap(e.false_list, e.true_list);
  remove_values(fs, e.false_list);
  remove_values(fs, e.true_list);
}

bool is_numeral(const Expression& e) { return e.kind == K::Number && !has_jumps(e); }

ArithOp arith_of(OpCode op) {
  switch (op) {
    case OpCode::ADD: return ArithOp::Add;
    case OpCode::SUB: return ArithOp::Sub;
    case OpCode::MUL: return ArithOp::Mul;
    case OpCode::DIV: return ArithOp::Div;
    case OpCode::MOD: return ArithOp::Mod;
    case OpCode::POW: return ArithOp::Pow;
    case OpCode::TMBAND: return ArithOp::And;
    case OpCode::TMBOR: return ArithOp::Or;
    case OpCode::TMBXOR: return ArithOp::Xor;
    case OpCode::TMSHL: return ArithOp::Shl;
    case OpCode::TMSHR: return ArithOp::Shr;
    case OpCode::TMLSHR: return ArithOp::Lshr;
    case OpCode::TMROTL: return ArithOp::Rotl;
    case OpCode::TMROTR: return ArithOp::Rotr;
    case OpCode::TMBNOT: return ArithOp::Not;
    case OpCode::IDIV: return ArithOp::Idiv;
    case OpCode::PEEK: return ArithOp::Peek;
    case OpCode::PEEK2: return ArithOp::Peek2;
    case OpCode::PEEK4: return ArithOp::Peek4;
    default: return ArithOp::Unm;
  }
}

bool fold_constants(OpCode op, Expression& left, const Expression& right) {
  if (!is_numeral(left) || !is_numeral(right)) return false;
  // A division by a constant zero is left to run time.
  if ((op == OpCode::DIV || op == OpCode::MOD || op == OpCode::IDIV) && right.number == 0) return false;
  if (op == OpCode::UNM || op == OpCode::LEN || op == OpCode::CONCAT) return false;
  int32_t result = 0;
  if (!number_arith(arith_of(op), left.number, right.number, &result)) return false;
  left.number = result;
  return true;
}

void emit_arith(FunctionState& fs, OpCode op, Expression& left, Expression& right, int line) {
  if (fold_constants(op, left, right)) return;
  int right_operand =
      (op != OpCode::UNM && op != OpCode::LEN) ? expression_to_register_or_constant(fs, right) : 0;
  int left_operand = expression_to_register_or_constant(fs, left);
  // Free the higher register first so that registers are released in order.
  if (left_operand > right_operand) {
    free_expression(fs, left);
    free_expression(fs, right);
  } else {
    free_expression(fs, right);
    free_expression(fs, left);
  }
  left.info = emit_abc(fs, op, 0, left_operand, right_operand);
  left.kind = K::Relocable;
  set_line_of_last_instruction(fs, line);
}

void emit_comparison(FunctionState& fs, OpCode op, int condition, Expression& left,
                     Expression& right) {
  int left_operand = expression_to_register_or_constant(fs, left);
  int right_operand = expression_to_register_or_constant(fs, right);
  free_expression(fs, right);
  free_expression(fs, left);
  if (condition == 0 && op != OpCode::EQ) {
    // a > b is b < a, a >= b is b <= a
    std::swap(left_operand, right_operand);
    condition = 1;
  }
  left.info = emit_conditional_jump(fs, op, condition, left_operand, right_operand);
  left.kind = K::Jump;
}

OpCode arith_opcode(BinaryOperator op) {
  switch (op) {
    case BinaryOperator::Add: return OpCode::ADD;
    case BinaryOperator::Sub: return OpCode::SUB;
    case BinaryOperator::Mul: return OpCode::MUL;
    case BinaryOperator::Div: return OpCode::DIV;
    case BinaryOperator::Idiv: return OpCode::IDIV;
    case BinaryOperator::Mod: return OpCode::MOD;
    case BinaryOperator::Pow: return OpCode::POW;
    case BinaryOperator::BitAnd: return OpCode::TMBAND;
    case BinaryOperator::BitOr: return OpCode::TMBOR;
    case BinaryOperator::BitXor: return OpCode::TMBXOR;
    case BinaryOperator::ShiftLeft: return OpCode::TMSHL;
    case BinaryOperator::ShiftRight: return OpCode::TMSHR;
    case BinaryOperator::LogicalShiftRight: return OpCode::TMLSHR;
    case BinaryOperator::RotateLeft: return OpCode::TMROTL;
    case BinaryOperator::RotateRight: return OpCode::TMROTR;
    default: return OpCode::ADD;
  }
}

bool is_arith(BinaryOperator op) { return op <= BinaryOperator::Pow || (op >= BinaryOperator::BitAnd && op <= BinaryOperator::RotateRight); }

}  // namespace

// --- errors -------------------------------------------------------------------

void semantic_error(FunctionState& fs, const std::string& message) {
  LexerState& lexer = fs.compiler->lexer;
  lexer.token.kind = 0;  // no "near" part
  syntax_error(lexer, message);
}

void check_limit(FunctionState& fs, int value, int limit, const char* what) {
  if (value <= limit) return;
  LexerState& lexer = fs.compiler->lexer;
  int line = fs.function->line_defined;
  std::string where = "main function";
  if (line != 0) {
    SourceLocation location = locate_line(lexer, line);
    where = "function at line " + std::to_string(location.line) + " (tab " +
            std::to_string(location.tab) + ")";
  }
  syntax_error(lexer, std::string("too many ") + what + " (limit is " + std::to_string(limit) +
                          ") in " + where);
}

// --- emitting -------------------------------------------------------------------

int emit(FunctionState& fs, Instruction instruction) {
  discharge_pending_jumps(fs);
  fs.function->code.push_back(instruction);
  fs.function->line_of_instruction.push_back(fs.compiler->lexer.last_line);
  return current_pc(fs) - 1;
}

int emit_abc(FunctionState& fs, OpCode op, int a, int b, int c) { return emit(fs, make_abc(op, a, b, c)); }
int emit_abx(FunctionState& fs, OpCode op, int a, int bx) { return emit(fs, make_abx(op, a, bx)); }
int emit_asbx(FunctionState& fs, OpCode op, int a, int sbx) { return emit(fs, make_asbx(op, a, sbx)); }

void emit_load_constant(FunctionState& fs, int reg, int constant) {
  if (constant <= kMaxArgBx) {
    emit_abx(fs, OpCode::LOADK, reg, constant);
  } else {
    emit_abx(fs, OpCode::LOADKX, reg, 0);
    emit(fs, make_ax(OpCode::EXTRAARG, constant));
  }
}

void emit_nil(FunctionState& fs, int from, int count) {
  int last = from + count - 1;
  if (current_pc(fs) > fs.last_target) {  // no jump lands here: may merge
    Instruction& previous = fs.function->code.back();
    if (opcode_of(previous) == OpCode::LOADNIL) {
      int previous_from = arg_a(previous);
      int previous_last = previous_from + arg_b(previous);
      if ((previous_from <= from && from <= previous_last + 1) ||
          (from <= previous_from && previous_from <= last + 1)) {
        if (previous_from < from) from = previous_from;
        if (previous_last > last) last = previous_last;
        previous = with_b(with_a(previous, from), last - from);
        return;
      }
    }
  }
  emit_abc(fs, OpCode::LOADNIL, from, count - 1, 0);
}

void emit_return(FunctionState& fs, int first, int count) {
  emit_abc(fs, OpCode::RETURN, first, count + 1, 0);
}

void emit_set_list(FunctionState& fs, int base, int element_count, int to_store) {
  int batch = (element_count - 1) / kFieldsPerFlush + 1;
  int count = to_store == kMultipleResults ? 0 : to_store;
  if (batch <= kMaxArgC) {
    emit_abc(fs, OpCode::SETLIST, base, count, batch);
  } else if (batch <= kMaxArgAx) {
    emit_abc(fs, OpCode::SETLIST, base, count, 0);
    emit(fs, make_ax(OpCode::EXTRAARG, batch));
  } else {
    syntax_error(fs.compiler->lexer, "constructor too long");
  }
  fs.free_register = base + 1;
}

void set_line_of_last_instruction(FunctionState& fs, int line) {
  fs.function->line_of_instruction.back() = line;
}

Instruction& instruction_of(FunctionState& fs, const Expression& e) { return fs.function->code[e.info]; }

int emit_jump(FunctionState& fs) {
  int pending = fs.pending_jumps;
  fs.pending_jumps = kNoJump;
  int jump = emit_asbx(fs, OpCode::JMP, 0, kNoJump);
  concat_jump_lists(fs, &jump, pending);
  return jump;
}

int mark_jump_target(FunctionState& fs) {
  fs.last_target = current_pc(fs);
  return fs.last_target;
}

void concat_jump_lists(FunctionState& fs, int* list, int other) {
  if (other == kNoJump) return;
  if (*list == kNoJump) {
    *list = other;
    return;
  }
  int last = *list;
  for (int next = jump_destination(fs, last); next != kNoJump; next = jump_destination(fs, last)) last = next;
  set_jump_destination(fs, last, other);
}

void patch_jump_list(FunctionState& fs, int list, int target) {
  if (target == current_pc(fs)) {
    patch_to_here(fs, list);
  } else {
    patch_list_with_values(fs, list, target, kNoRegister, target);
  }
}

void patch_to_here(FunctionState& fs, int list) {
  mark_jump_target(fs);
  concat_jump_lists(fs, &fs.pending_jumps, list);
}

void patch_close_upvalues(FunctionState& fs, int list, int level) {
  ++level;  // A of a JMP is the first register to close, plus one
  while (list != kNoJump) {
    int next = jump_destination(fs, list);
    Instruction& jump = fs.function->code[list];
    jump = with_a(jump, level);
    list = next;
  }
}

// --- registers and constants ----------------------------------------------------

void check_stack(FunctionState& fs, int count) {
  int needed = fs.free_register + count;
  if (needed > fs.function->max_stack_size) {
    if (needed >= kMaxRegisters) syntax_error(fs.compiler->lexer, "function or expression too complex");
    fs.function->max_stack_size = uint8_t(needed);
  }
}

void reserve_registers(FunctionState& fs, int count) {
  check_stack(fs, count);
  fs.free_register += count;
}

int string_constant(FunctionState& fs, const std::string& text) {
  return add_constant(fs, "s" + text, Constant(text));
}

int number_constant(FunctionState& fs, int32_t raw) {
  std::string key = "k";
  key.append(reinterpret_cast<const char*>(&raw), sizeof raw);
  return add_constant(fs, key, Constant(FixedConstant{raw}));
}

void free_expression(FunctionState& fs, Expression& e) {
  if (e.kind == K::NonRelocable) free_register(fs, e.info);
}

// --- expressions ------------------------------------------------------------------

void set_returns(FunctionState& fs, Expression& e, int results) {
  if (e.kind == K::Call) {
    Instruction& i = instruction_of(fs, e);
    i = with_c(i, results + 1);
  } else if (e.kind == K::Vararg) {
    Instruction& i = instruction_of(fs, e);
    i = with_a(with_b(i, results + 1), fs.free_register);
    reserve_registers(fs, 1);
  }
}

void set_one_return(FunctionState& fs, Expression& e) {
  if (e.kind == K::Call) {
    e.kind = K::NonRelocable;
    e.info = arg_a(instruction_of(fs, e));
  } else if (e.kind == K::Vararg) {
    Instruction& i = instruction_of(fs, e);
    i = with_b(i, 2);
    e.kind = K::Relocable;
  }
}

void discharge_variables(FunctionState& fs, Expression& e) {
  switch (e.kind) {
    case K::Local: e.kind = K::NonRelocable; break;
    case K::Upvalue:
      e.info = emit_abc(fs, OpCode::GETUPVAL, 0, e.info, 0);
      e.kind = K::Relocable;
      break;
    case K::Indexed: {
      OpCode op = OpCode::GETTABUP;
      free_register(fs, e.key);
      if (!e.table_is_upvalue) {
        free_register(fs, e.table);
        op = OpCode::GETTABLE;
      }
      e.info = emit_abc(fs, op, 0, e.table, e.key);
      e.kind = K::Relocable;
      break;
    }
    case K::Vararg:
    case K::Call: set_one_return(fs, e); break;
    default: break;
  }
}

void expression_to_next_register(FunctionState& fs, Expression& e) {
  discharge_variables(fs, e);
  free_expression(fs, e);
  reserve_registers(fs, 1);
  expression_to_register(fs, e, fs.free_register - 1);
}

int expression_to_any_register(FunctionState& fs, Expression& e) {
  discharge_variables(fs, e);
  if (e.kind == K::NonRelocable) {
    if (!has_jumps(e)) return e.info;
    if (e.info >= fs.active_locals) {  // a temporary: keep the value there
      expression_to_register(fs, e, e.info);
      return e.info;
    }
  }
  expression_to_next_register(fs, e);
  return e.info;
}

void expression_to_any_register_or_upvalue(FunctionState& fs, Expression& e) {
  if (e.kind != K::Upvalue || has_jumps(e)) expression_to_any_register(fs, e);
}

void expression_to_value(FunctionState& fs, Expression& e) {
  if (has_jumps(e)) expression_to_any_register(fs, e);
  else discharge_variables(fs, e);
}

int expression_to_register_or_constant(FunctionState& fs, Expression& e) {
  expression_to_value(fs, e);
  switch (e.kind) {
    case K::True:
    case K::False:
    case K::Nil:
      if (int(fs.function->constants.size()) <= kMaxIndexRK) {
        e.info = e.kind == K::Nil ? nil_constant(fs) : boolean_constant(fs, e.kind == K::True);
        e.kind = K::Constant;
        return rk_constant(e.info);
      }
      break;
    case K::Number:
      e.info = number_constant(fs, e.number);
      e.kind = K::Constant;
      [[fallthrough]];
    case K::Constant:
      if (e.info <= kMaxIndexRK) return rk_constant(e.info);
      break;
    default: break;
  }
  return expression_to_any_register(fs, e);
}

void store_variable(FunctionState& fs, Expression& variable, Expression& value) {
  switch (variable.kind) {
    case K::Local:
      free_expression(fs, value);
      expression_to_register(fs, value, variable.info);
      return;
    case K::Upvalue: {
      int reg = expression_to_any_register(fs, value);
      emit_abc(fs, OpCode::SETUPVAL, reg, variable.info, 0);
      break;
    }
    case K::Indexed: {
      OpCode op = variable.table_is_upvalue ? OpCode::SETTABUP : OpCode::SETTABLE;
      int operand = expression_to_register_or_constant(fs, value);
      emit_abc(fs, op, variable.table, variable.key, operand);
      break;
    }
    default: break;
  }
  free_expression(fs, value);
}

void emit_self(FunctionState& fs, Expression& e, Expression& key) {
  expression_to_any_register(fs, e);
  int object = e.info;
  free_expression(fs, e);
  e.info = fs.free_register;
  e.kind = K::NonRelocable;
  reserve_registers(fs, 2);
  emit_abc(fs, OpCode::SELF, e.info, object, expression_to_register_or_constant(fs, key));
  free_expression(fs, key);
}

void make_indexed(FunctionState& fs, Expression& table, Expression& key) {
  table.table = table.info;
  table.key = expression_to_register_or_constant(fs, key);
  table.table_is_upvalue = table.kind == K::Upvalue;
  table.kind = K::Indexed;
}

void go_if_true(FunctionState& fs, Expression& e) {
  discharge_variables(fs, e);
  int jump = kNoJump;
  switch (e.kind) {
    case K::Jump:
      invert_jump(fs, e);
      jump = e.info;
      break;
    case K::Constant:
    case K::Number:
    case K::True: break;  // always true: never jumps
    default: jump = jump_on_condition(fs, e, 0);
  }
  concat_jump_lists(fs, &e.false_list, jump);
  patch_to_here(fs, e.true_list);
  e.true_list = kNoJump;
}

void go_if_false(FunctionState& fs, Expression& e) {
  discharge_variables(fs, e);
  int jump = kNoJump;
  switch (e.kind) {
    case K::Jump: jump = e.info; break;
    case K::Nil:
    case K::False: break;  // always false: never jumps
    default: jump = jump_on_condition(fs, e, 1);
  }
  concat_jump_lists(fs, &e.true_list, jump);
  patch_to_here(fs, e.false_list);
  e.false_list = kNoJump;
}

void emit_prefix(FunctionState& fs, UnaryOperator op, Expression& e, int line) {
  Expression zero = make_expression(K::Number, 0);
  switch (op) {
    case UnaryOperator::Minus:
      if (is_numeral(e)) {
        e.number = int32_t(0u - uint32_t(e.number));  // wraps: -(-32768) is -32768
      } else {
        expression_to_any_register(fs, e);
        emit_arith(fs, OpCode::UNM, e, zero, line);
      }
      break;
    case UnaryOperator::Not: emit_not(fs, e); break;
    case UnaryOperator::Length:
      expression_to_any_register(fs, e);
      emit_arith(fs, OpCode::LEN, e, zero, line);
      break;
    case UnaryOperator::BitNot:
    case UnaryOperator::Peek:
    case UnaryOperator::Peek2:
    case UnaryOperator::Peek4: {
      // Never folded: the operand goes to a register, C holds the constant 0.
      OpCode code = op == UnaryOperator::BitNot ? OpCode::TMBNOT
                    : op == UnaryOperator::Peek ? OpCode::PEEK
                    : op == UnaryOperator::Peek2 ? OpCode::PEEK2
                                                 : OpCode::PEEK4;
      expression_to_any_register(fs, e);
      emit_arith(fs, code, e, zero, line);
      break;
    }
    case UnaryOperator::None: break;
  }
}

void emit_infix(FunctionState& fs, BinaryOperator op, Expression& left) {
  switch (op) {
    case BinaryOperator::And: go_if_true(fs, left); break;
    case BinaryOperator::Or: go_if_false(fs, left); break;
    case BinaryOperator::Concat: expression_to_next_register(fs, left); break;
    default:
      if (is_arith(op)) {
        if (!is_numeral(left)) expression_to_register_or_constant(fs, left);
      } else {
        expression_to_register_or_constant(fs, left);
      }
  }
}

void emit_postfix(FunctionState& fs, BinaryOperator op, Expression& left, Expression& right,
                  int line) {
  switch (op) {
    case BinaryOperator::And:
      discharge_variables(fs, right);
      concat_jump_lists(fs, &right.false_list, left.false_list);
      left = right;
      break;
    case BinaryOperator::Or:
      discharge_variables(fs, right);
      concat_jump_lists(fs, &right.true_list, left.true_list);
      left = right;
      break;
    case BinaryOperator::Concat:
      expression_to_value(fs, right);
      if (right.kind == K::Relocable && opcode_of(instruction_of(fs, right)) == OpCode::CONCAT) {
        // a .. (b .. c): widen the right CONCAT to start at a's register
        free_expression(fs, left);
        Instruction& i = instruction_of(fs, right);
        i = with_b(i, left.info);
        left.kind = K::Relocable;
        left.info = right.info;
      } else {
        expression_to_next_register(fs, right);
        emit_arith(fs, OpCode::CONCAT, left, right, line);
      }
      break;
    case BinaryOperator::Equal: emit_comparison(fs, OpCode::EQ, 1, left, right); break;
    case BinaryOperator::NotEqual: emit_comparison(fs, OpCode::EQ, 0, left, right); break;
    case BinaryOperator::Less: emit_comparison(fs, OpCode::LT, 1, left, right); break;
    case BinaryOperator::LessEqual: emit_comparison(fs, OpCode::LE, 1, left, right); break;
    case BinaryOperator::Greater: emit_comparison(fs, OpCode::LT, 0, left, right); break;
    case BinaryOperator::GreaterEqual: emit_comparison(fs, OpCode::LE, 0, left, right); break;
    case BinaryOperator::None: break;
    default: emit_arith(fs, arith_opcode(op), left, right, line); break;
  }
}

}  // namespace tamori::lang
