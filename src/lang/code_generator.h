// The code generator: emits instructions for the parser, allocates
// registers, keeps jump lists and folds constant arithmetic.
#pragma once

#include <string>

#include "lang/compiler_state.h"

namespace tamori::lang {

enum class BinaryOperator : uint8_t {
  Add, Sub, Mul, Div, Idiv, Mod, Pow, Concat,
  BitAnd, BitOr, BitXor, ShiftLeft, ShiftRight, LogicalShiftRight, RotateLeft, RotateRight,
  Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual,
  And, Or,
  None,
};

enum class UnaryOperator : uint8_t { Minus, Not, Length, BitNot, Peek, Peek2, Peek4, None };

// Errors raised by the code generator and the parser.
[[noreturn]] void semantic_error(FunctionState& fs, const std::string& message);
// "too many <what> (limit is <limit>) in main function / function at line N (tab T)"
void check_limit(FunctionState& fs, int value, int limit, const char* what);

int emit(FunctionState& fs, Instruction instruction);
int emit_abc(FunctionState& fs, OpCode op, int a, int b, int c);
int emit_abx(FunctionState& fs, OpCode op, int a, int bx);
int emit_asbx(FunctionState& fs, OpCode op, int a, int sbx);
void emit_load_constant(FunctionState& fs, int reg, int constant);
void emit_nil(FunctionState& fs, int from, int count);
void emit_return(FunctionState& fs, int first, int count);
void emit_set_list(FunctionState& fs, int base, int element_count, int to_store);
void set_line_of_last_instruction(FunctionState& fs, int line);
Instruction& instruction_of(FunctionState& fs, const Expression& e);

// Jumps and jump lists.
int emit_jump(FunctionState& fs);
int mark_jump_target(FunctionState& fs);
void concat_jump_lists(FunctionState& fs, int* list, int other);
void patch_jump_list(FunctionState& fs, int list, int target);
void patch_to_here(FunctionState& fs, int list);
void patch_close_upvalues(FunctionState& fs, int list, int level);

// Registers and constants.
void check_stack(FunctionState& fs, int count);
void reserve_registers(FunctionState& fs, int count);
int string_constant(FunctionState& fs, const std::string& text);
int number_constant(FunctionState& fs, int32_t raw);

// Moving expression values into registers.
void set_returns(FunctionState& fs, Expression& e, int results);
inline void set_multiple_returns(FunctionState& fs, Expression& e) {
  set_returns(fs, e, kMultipleResults);
}
void set_one_return(FunctionState& fs, Expression& e);
void discharge_variables(FunctionState& fs, Expression& e);
void expression_to_next_register(FunctionState& fs, Expression& e);
int expression_to_any_register(FunctionState& fs, Expression& e);
void expression_to_any_register_or_upvalue(FunctionState& fs, Expression& e);
void expression_to_value(FunctionState& fs, Expression& e);
int expression_to_register_or_constant(FunctionState& fs, Expression& e);
void free_expression(FunctionState& fs, Expression& e);

void store_variable(FunctionState& fs, Expression& variable, Expression& value);
void emit_self(FunctionState& fs, Expression& e, Expression& key);
void make_indexed(FunctionState& fs, Expression& table, Expression& key);
void go_if_true(FunctionState& fs, Expression& e);
void go_if_false(FunctionState& fs, Expression& e);

void emit_prefix(FunctionState& fs, UnaryOperator op, Expression& e, int line);
void emit_infix(FunctionState& fs, BinaryOperator op, Expression& left);
void emit_postfix(FunctionState& fs, BinaryOperator op, Expression& left, Expression& right,
                  int line);

inline bool has_jumps(const Expression& e) { return e.true_list != e.false_list; }
inline bool has_multiple_results(ExpressionKind k) {
  return k == ExpressionKind::Call || k == ExpressionKind::Vararg;
}

}  // namespace tamori::lang
