#include "lang/parser.h"

#include <climits>

#include "lang/code_generator.h"

namespace tamori::lang {
namespace {

using K = ExpressionKind;

struct Parser {
  CompilerState& compiler;
  LexerState& lexer;
  FunctionState& fs() { return *compiler.function; }
  int token() const { return lexer.token.kind; }
};

void expression(Parser& p, Expression& e);
int expression_list(Parser& p, Expression& e);
void statement(Parser& p);
void statement_list(Parser& p);
void block(Parser& p);
void print_call(Parser& p, Expression& e);

// --- token helpers ------------------------------------------------------------

void next(Parser& p) { lexer_next(p.lexer); }

[[noreturn]] void error_expected(Parser& p, int kind) {
  syntax_error(p.lexer, token_name(kind) + " expected");
}

bool test_next(Parser& p, int kind) {
  if (p.token() != kind) return false;
  next(p);
  return true;
}

void check(Parser& p, int kind) {
  if (p.token() != kind) error_expected(p, kind);
}

void check_next(Parser& p, int kind) {
  check(p, kind);
  next(p);
}

void check_condition(Parser& p, bool condition, const char* message) {
  if (!condition) syntax_error(p.lexer, message);
}

std::string at_line(Parser& p, int line) {
  SourceLocation location = locate_line(p.lexer, line);
  return std::to_string(location.line) + " (tab " + std::to_string(location.tab) + ")";
}

// Expects `what` closing the construct `who` opened at line `where`.
void check_match(Parser& p, int what, int who, int where) {
  if (test_next(p, what)) return;
  if (where == p.lexer.line_number) error_expected(p, what);
  syntax_error(p.lexer, token_name(what) + " expected (to close " + token_name(who) + " at line " +
                            at_line(p, where) + ")");
}

std::string check_name(Parser& p) {
  check(p, kTokenName);
  std::string name = p.lexer.token.text;
  next(p);
  return name;
}

Expression string_expression(Parser& p, const std::string& text) {
  return make_expression(K::Constant, string_constant(p.fs(), text));
}

bool block_follows(Parser& p, bool with_until) {
  switch (p.token()) {
    case kTokenElse:
    case kTokenElseif:
    case kTokenEnd:
    case kTokenEndOfStream:
    case kTokenEndOfLine: return true;
    case kTokenUntil: return with_until;
    default: return false;
  }
}

void enter_level(Parser& p) {
  ++p.compiler.nesting_level;
  check_limit(p.fs(), p.compiler.nesting_level, kMaxNestingLevels, "C levels");
}

void leave_level(Parser& p) { --p.compiler.nesting_level; }

// --- variables ------------------------------------------------------------------

LocalVariableDescription& local_variable(FunctionState& fs, int index) {
  int slot = fs.compiler->active_variables[fs.first_local + index];
  return fs.function->locals[slot];
}

void new_local_variable(Parser& p, const std::string& name) {
  FunctionState& fs = p.fs();
  auto& active = p.compiler.active_variables;
  check_limit(fs, int(active.size()) + 1 - fs.first_local, kMaxLocalVariables, "local variables");
  fs.function->locals.push_back(LocalVariableDescription{name, 0, 0});
  active.push_back(int(fs.function->locals.size()) - 1);
}

void activate_local_variables(Parser& p, int count) {
  FunctionState& fs = p.fs();
  fs.active_locals += count;
  for (int i = count; i > 0; --i) local_variable(fs, fs.active_locals - i).start_pc = current_pc(fs);
}

void remove_variables(FunctionState& fs, int to_level) {
  int removed = fs.active_locals - to_level;
  while (fs.active_locals > to_level) local_variable(fs, --fs.active_locals).end_pc = current_pc(fs);
  auto& active = fs.compiler->active_variables;
  active.resize(active.size() - size_t(removed));
}

int search_local(FunctionState& fs, const std::string& name) {
  for (int i = fs.active_locals - 1; i >= 0; --i) {
    if (local_variable(fs, i).name == name) return i;
  }
  return -1;
}

int search_upvalue(FunctionState& fs, const std::string& name) {
  auto& upvalues = fs.function->upvalues;
  for (size_t i = 0; i < upvalues.size(); ++i) {
    if (upvalues[i].name == name) return int(i);
  }
  return -1;
}

int new_upvalue(FunctionState& fs, const std::string& name, const Expression& v) {
  auto& upvalues = fs.function->upvalues;
  check_limit(fs, int(upvalues.size()) + 1, kMaxUpvalues, "upvalues");
  upvalues.push_back(UpvalueDescription{name, v.kind == K::Local, uint8_t(v.info)});
  return int(upvalues.size()) - 1;
}

// Marks the block that declares local `level` as holding a captured local.
void mark_upvalue(FunctionState& fs, int level) {
  BlockScope* block = fs.block;
  while (block->active_locals > level) block = block->previous;
  block->has_upvalue = true;
}

K find_variable(FunctionState* fs, const std::string& name, Expression& v, bool base) {
  if (!fs) return K::Void;
  int local = search_local(*fs, name);
  if (local >= 0) {
    v = make_expression(K::Local, local);
    if (!base) mark_upvalue(*fs, local);
    return K::Local;
  }
  int index = search_upvalue(*fs, name);
  if (index < 0) {
    if (find_variable(fs->enclosing, name, v, false) == K::Void) return K::Void;
    index = new_upvalue(*fs, name, v);
  }
  v = make_expression(K::Upvalue, index);
  return K::Upvalue;
}

void named_variable(Parser& p, const std::string& name, Expression& v) {
  FunctionState& fs = p.fs();
  if (find_variable(&fs, name, v, true) == K::Void) {
    // A global: _ENV[name]
    find_variable(&fs, "_ENV", v, true);
    Expression key = string_expression(p, name);
    make_indexed(fs, v, key);
  }
}

void single_variable(Parser& p, Expression& v) { named_variable(p, check_name(p), v); }

void adjust_assign(Parser& p, int variables, int expressions, Expression& e) {
  FunctionState& fs = p.fs();
  int extra = variables - expressions;
  if (has_multiple_results(e.kind)) {
    ++extra;  // the call itself supplies values
    if (extra < 0) extra = 0;
    set_returns(fs, e, extra);
    if (extra > 1) reserve_registers(fs, extra - 1);
  } else {
    if (e.kind != K::Void) expression_to_next_register(fs, e);
    if (extra > 0) {
      int reg = fs.free_register;
      reserve_registers(fs, extra);
      emit_nil(fs, reg, extra);
    }
  }
}

// --- blocks, gotos and labels -------------------------------------------------------

void enter_block(FunctionState& fs, BlockScope& block, bool is_loop) {
  block.is_loop = is_loop;
  block.active_locals = fs.active_locals;
  block.first_label = int(fs.compiler->labels.size());
  block.first_goto = int(fs.compiler->gotos.size());
  block.has_upvalue = false;
  block.previous = fs.block;
  fs.block = &block;
}

void close_goto(Parser& p, int index, const LabelEntry& label) {
  FunctionState& fs = p.fs();
  auto& gotos = p.compiler.gotos;
  LabelEntry& pending = gotos[size_t(index)];
  if (pending.active_locals < label.active_locals) {
    std::string name = local_variable(fs, pending.active_locals).name;
    semantic_error(fs, "<goto " + pending.name + "> at line " + at_line(p, pending.line) +
                           " jumps into the scope of local '" + name + "'");
  }
  patch_jump_list(fs, pending.pc, label.pc);
  gotos.erase(gotos.begin() + index);
}

// Resolves pending goto `index` against the labels of the current block.
bool find_label(Parser& p, int index) {
  FunctionState& fs = p.fs();
  BlockScope* block = fs.block;
  auto& labels = p.compiler.labels;
  for (size_t i = size_t(block->first_label); i < labels.size(); ++i) {
    LabelEntry label = labels[i];
    LabelEntry& pending = p.compiler.gotos[size_t(index)];
    if (label.name == pending.name) {
      if (pending.active_locals > label.active_locals &&
          (block->has_upvalue || int(labels.size()) > block->first_label)) {
        patch_close_upvalues(fs, pending.pc, label.active_locals);
      }
      close_goto(p, index, label);
      return true;
    }
  }
  return false;
}

int new_label_entry(Parser& p, std::vector<LabelEntry>& list, const std::string& name, int line,
                    int pc) {
  list.push_back(LabelEntry{name, pc, line, p.fs().active_locals});
  return int(list.size()) - 1;
}

// Resolves the pending gotos of the current block that name a new label.
void find_gotos(Parser& p, int label_index) {
  auto& gotos = p.compiler.gotos;
  size_t i = size_t(p.fs().block->first_goto);
  while (i < gotos.size()) {
    LabelEntry label = p.compiler.labels[size_t(label_index)];
    if (gotos[i].name == label.name) close_goto(p, int(i), label);
    else ++i;
  }
}

// Gotos still pending at the end of a block move to the enclosing block.
void move_gotos_out(Parser& p, BlockScope& block) {
  FunctionState& fs = p.fs();
  auto& gotos = p.compiler.gotos;
  size_t i = size_t(block.first_goto);
  while (i < gotos.size()) {
    LabelEntry& pending = gotos[i];
    if (pending.active_locals > block.active_locals) {
      if (block.has_upvalue) patch_close_upvalues(fs, pending.pc, block.active_locals);
      pending.active_locals = block.active_locals;
    }
    if (!find_label(p, int(i))) ++i;
  }
}

[[noreturn]] void undefined_goto(Parser& p, const LabelEntry& pending) {
  if (pending.name == "break") {
    semantic_error(p.fs(), "<break> at line " + std::to_string(locate_line(p.lexer, pending.line).line) +
                               " not inside a loop");
  }
  semantic_error(p.fs(), "no visible label '" + pending.name + "' for <goto> at line " +
                             at_line(p, pending.line));
}

void break_label(Parser& p) {
  int index = new_label_entry(p, p.compiler.labels, "break", 0, current_pc(p.fs()));
  find_gotos(p, index);
}

void leave_block(Parser& p) {
  FunctionState& fs = p.fs();
  BlockScope& block = *fs.block;
  if (block.previous && block.has_upvalue) {
    // Close the block's captured locals on the way out.
    int jump = emit_jump(fs);
    patch_close_upvalues(fs, jump, block.active_locals);
    patch_to_here(fs, jump);
  }
  if (block.is_loop) break_label(p);
  fs.block = block.previous;
  remove_variables(fs, block.active_locals);
  fs.free_register = fs.active_locals;
  p.compiler.labels.resize(size_t(block.first_label));
  if (block.previous) {
    move_gotos_out(p, block);
  } else if (size_t(block.first_goto) < p.compiler.gotos.size()) {
    undefined_goto(p, p.compiler.gotos[size_t(block.first_goto)]);
  }
}

// --- functions --------------------------------------------------------------------

void open_function(Parser& p, FunctionState& fs, CompiledFunction* function, BlockScope& block) {
  fs.function = function;
  fs.enclosing = p.compiler.function;
  fs.compiler = &p.compiler;
  p.compiler.function = &fs;
  fs.first_local = int(p.compiler.active_variables.size());
  fs.function->max_stack_size = 2;
  enter_block(fs, block, false);
}

void close_function(Parser& p) {
  FunctionState& fs = p.fs();
  emit_return(fs, 0, 0);
  leave_block(p);
  p.compiler.function = fs.enclosing;
}

void parameter_list(Parser& p) {
  FunctionState& fs = p.fs();
  int parameters = 0;
  bool vararg = false;
  if (p.token() != ')') {
    do {
      if (p.token() == kTokenName) {
        new_local_variable(p, check_name(p));
        ++parameters;
      } else if (p.token() == kTokenDots) {
        next(p);
        vararg = true;
      } else {
        syntax_error(p.lexer, "<name> or '...' expected");
      }
    } while (!vararg && test_next(p, ','));
  }
  activate_local_variables(p, parameters);
  fs.function->is_vararg = vararg;
  fs.function->parameter_count = uint8_t(fs.active_locals);
  reserve_registers(fs, fs.active_locals);
}

void function_body(Parser& p, Expression& e, bool is_method, int line) {
  FunctionState& outer = p.fs();
  check_limit(outer, int(outer.function->functions.size()) + 1, kMaxArgBx, "functions");
  outer.function->functions.push_back(std::make_unique<CompiledFunction>());
  CompiledFunction* function = outer.function->functions.back().get();
  function->source_name = outer.function->source_name;
  function->line_defined = line;
  FunctionState fs;
  BlockScope block;
  open_function(p, fs, function, block);
  check_next(p, '(');
  if (is_method) {
    new_local_variable(p, "self");
    activate_local_variables(p, 1);
  }
  parameter_list(p);
  check_next(p, ')');
  statement_list(p);
  function->last_line_defined = p.lexer.line_number;
  check_match(p, kTokenEnd, kTokenFunction, line);
  close_function(p);
  e = make_expression(K::Relocable,
                      emit_abx(outer, OpCode::CLOSURE, 0, int(outer.function->functions.size()) - 1));
  expression_to_next_register(outer, e);
}

// --- expressions -------------------------------------------------------------------

void field_selector(Parser& p, Expression& v) {
  expression_to_any_register_or_upvalue(p.fs(), v);
  next(p);  // '.' or ':'
  Expression key = string_expression(p, check_name(p));
  make_indexed(p.fs(), v, key);
}

void index_expression(Parser& p, Expression& v) {
  next(p);  // '['
  expression(p, v);
  expression_to_value(p.fs(), v);
  check_next(p, ']');
}

struct ConstructorState {
  Expression* table = nullptr;
  Expression pending;  // last list item, not yet stored
  int hash_count = 0;
  int array_count = 0;
  int to_store = 0;  // list items waiting for a SETLIST
};

void record_field(Parser& p, ConstructorState& cs) {
  FunctionState& fs = p.fs();
  int reg = fs.free_register;
  Expression key;
  if (p.token() == kTokenName) {
    check_limit(fs, cs.hash_count, INT_MAX - 1, "items in a constructor");
    key = string_expression(p, check_name(p));
  } else {
    index_expression(p, key);
  }
  ++cs.hash_count;
  check_next(p, '=');
  int key_operand = expression_to_register_or_constant(fs, key);
  Expression value;
  expression(p, value);
  emit_abc(fs, OpCode::SETTABLE, cs.table->info, key_operand, expression_to_register_or_constant(fs, value));
  fs.free_register = reg;
}

void close_list_field(FunctionState& fs, ConstructorState& cs) {
  if (cs.pending.kind == K::Void) return;
  expression_to_next_register(fs, cs.pending);
  cs.pending.kind = K::Void;
  if (cs.to_store == kFieldsPerFlush) {
    emit_set_list(fs, cs.table->info, cs.array_count, cs.to_store);
    cs.to_store = 0;
  }
}

void last_list_field(FunctionState& fs, ConstructorState& cs) {
  if (cs.to_store == 0) return;
  if (has_multiple_results(cs.pending.kind)) {
    set_multiple_returns(fs, cs.pending);
    emit_set_list(fs, cs.table->info, cs.array_count, kMultipleResults);
    --cs.array_count;  // the call's values are not counted
  } else {
    if (cs.pending.kind != K::Void) expression_to_next_register(fs, cs.pending);
    emit_set_list(fs, cs.table->info, cs.array_count, cs.to_store);
  }
}

void list_field(Parser& p, ConstructorState& cs) {
  expression(p, cs.pending);
  check_limit(p.fs(), cs.array_count, INT_MAX - 1, "items in a constructor");
  ++cs.array_count;
  ++cs.to_store;
}

// The table size hint of NEWTABLE: a small floating-point byte.
int size_hint(int x) {
  int exponent = 0;
  if (x < 8) return x;
  while (x >= 0x10) {
    x = (x + 1) >> 1;
    ++exponent;
  }
  return ((exponent + 1) << 3) | (x - 8);
}

void constructor(Parser& p, Expression& t) {
  FunctionState& fs = p.fs();
  int line = p.lexer.line_number;
  int pc = emit_abc(fs, OpCode::NEWTABLE, 0, 0, 0);
  ConstructorState cs;
  cs.table = &t;
  t = make_expression(K::Relocable, pc);
  expression_to_next_register(fs, t);
  check_next(p, '{');
  do {
    if (p.token() == '}') break;
    close_list_field(fs, cs);
    if (p.token() == kTokenName) {
      if (lexer_peek(p.lexer) != '=') list_field(p, cs);
      else record_field(p, cs);
    } else if (p.token() == '[') {
      record_field(p, cs);
    } else {
      list_field(p, cs);
    }
  } while (test_next(p, ',') || test_next(p, ';'));
  check_match(p, '}', '{', line);
  last_list_field(fs, cs);
  Instruction& i = fs.function->code[size_t(pc)];
  i = (i & ~((Instruction(kMaxArgB) << kPosB) | (Instruction(kMaxArgC) << kPosC))) |
      (Instruction(size_hint(cs.array_count)) << kPosB) | (Instruction(size_hint(cs.hash_count)) << kPosC);
}

void call_arguments(Parser& p, Expression& f, int line) {
  FunctionState& fs = p.fs();
  Expression args;
  switch (p.token()) {
    case '(':
      next(p);
      if (p.token() == ')') {
        args.kind = K::Void;
      } else {
        expression_list(p, args);
        set_multiple_returns(fs, args);
      }
      check_match(p, ')', '(', line);
      break;
    case '{': constructor(p, args); break;
    case kTokenString:
      args = string_expression(p, p.lexer.token.text);
      next(p);
      break;
    default: syntax_error(p.lexer, "function arguments expected");
  }
  int base = f.info;
  int parameters;
  if (has_multiple_results(args.kind)) {
    parameters = kMultipleResults;
  } else {
    if (args.kind != K::Void) expression_to_next_register(fs, args);
    parameters = fs.free_register - (base + 1);
  }
  f = make_expression(K::Call, emit_abc(fs, OpCode::CALL, base, parameters + 1, 2));
  set_line_of_last_instruction(fs, line);
  fs.free_register = base + 1;
}

void primary_expression(Parser& p, Expression& v) {
  switch (p.token()) {
    case '(': {
      int line = p.lexer.line_number;
      next(p);
      expression(p, v);
      check_match(p, ')', '(', line);
      discharge_variables(p.fs(), v);
      return;
    }
    case kTokenName: single_variable(p, v); return;
    default: syntax_error(p.lexer, "unexpected symbol");
  }
}

void suffixed_expression(Parser& p, Expression& v) {
  FunctionState& fs = p.fs();
  int line = p.lexer.line_number;
  primary_expression(p, v);
  for (;;) {
    switch (p.token()) {
      case '.': field_selector(p, v); break;
      case '[': {
        expression_to_any_register_or_upvalue(fs, v);
        Expression key;
        index_expression(p, key);
        make_indexed(fs, v, key);
        break;
      }
      case ':': {
        next(p);
        Expression key = string_expression(p, check_name(p));
        emit_self(fs, v, key);
        call_arguments(p, v, line);
        break;
      }
      case '(':
      case kTokenString:
      case '{':
        expression_to_next_register(fs, v);
        call_arguments(p, v, line);
        break;
      default: return;
    }
  }
}

void simple_expression(Parser& p, Expression& v) {
  FunctionState& fs = p.fs();
  switch (p.token()) {
    case kTokenNumber: v = make_expression(K::Number, 0); v.number = p.lexer.token.number; break;
    case kTokenString: v = string_expression(p, p.lexer.token.text); break;
    case kTokenNil: v = make_expression(K::Nil, 0); break;
    case kTokenTrue: v = make_expression(K::True, 0); break;
    case kTokenFalse: v = make_expression(K::False, 0); break;
    case kTokenDots:
      check_condition(p, fs.function->is_vararg, "cannot use '...' outside a vararg function");
      v = make_expression(K::Vararg, emit_abc(fs, OpCode::VARARG, 0, 1, 0));
      break;
    case '{': constructor(p, v); return;
    case kTokenFunction:
      next(p);
      function_body(p, v, false, p.lexer.line_number);
      return;
    case kTokenQuestion:
      print_call(p, v);
      // The end of line that this '?' owes is its own: drop it, without
      // letting it move the line given to the instructions that follow.
      if (p.token() == kTokenEndOfLine) {
        int line = p.lexer.last_line;
        next(p);
        p.lexer.last_line = line;
      } else if (p.lexer.pending_end_of_lines > 0) {
        --p.lexer.pending_end_of_lines;
      }
      return;
    default: suffixed_expression(p, v); return;
  }
  next(p);
}

UnaryOperator unary_operator(int token) {
  switch (token) {
    case kTokenNot: return UnaryOperator::Not;
    case '-': return UnaryOperator::Minus;
    case '#': return UnaryOperator::Length;
    case '~': return UnaryOperator::BitNot;
    case '@': return UnaryOperator::Peek;
    case '%': return UnaryOperator::Peek2;
    case '$': return UnaryOperator::Peek4;
    default: return UnaryOperator::None;
  }
}

BinaryOperator binary_operator(int token) {
  switch (token) {
    case '+': return BinaryOperator::Add;
    case '-': return BinaryOperator::Sub;
    case '*': return BinaryOperator::Mul;
    case '/': return BinaryOperator::Div;
    case '\\': return BinaryOperator::Idiv;
    case '%': return BinaryOperator::Mod;
    case '^': return BinaryOperator::Pow;
    case kTokenConcat: return BinaryOperator::Concat;
    case '&': return BinaryOperator::BitAnd;
    case '|': return BinaryOperator::BitOr;
    case '~':
    case kTokenXor: return BinaryOperator::BitXor;
    case kTokenShiftLeft: return BinaryOperator::ShiftLeft;
    case kTokenShiftRight: return BinaryOperator::ShiftRight;
    case kTokenLogicalShiftRight: return BinaryOperator::LogicalShiftRight;
    case kTokenRotateLeft: return BinaryOperator::RotateLeft;
    case kTokenRotateRight: return BinaryOperator::RotateRight;
    case kTokenNotEqual:
    case kTokenBangEqual: return BinaryOperator::NotEqual;
    case kTokenEqual: return BinaryOperator::Equal;
    case '<': return BinaryOperator::Less;
    case kTokenLessEqual: return BinaryOperator::LessEqual;
    case '>': return BinaryOperator::Greater;
    case kTokenGreaterEqual: return BinaryOperator::GreaterEqual;
    case kTokenAnd: return BinaryOperator::And;
    case kTokenOr: return BinaryOperator::Or;
    default: return BinaryOperator::None;
  }
}

BinaryOperator compound_operator(int token) {
  switch (token) {
    case kTokenAddAssign: return BinaryOperator::Add;
    case kTokenSubAssign: return BinaryOperator::Sub;
    case kTokenMulAssign: return BinaryOperator::Mul;
    case kTokenDivAssign: return BinaryOperator::Div;
    case kTokenModAssign: return BinaryOperator::Mod;
    case kTokenPowAssign: return BinaryOperator::Pow;
    case kTokenIdivAssign: return BinaryOperator::Idiv;
    case kTokenAndAssign: return BinaryOperator::BitAnd;
    case kTokenOrAssign: return BinaryOperator::BitOr;
    case kTokenXorAssign: return BinaryOperator::BitXor;
    case kTokenShiftLeftAssign: return BinaryOperator::ShiftLeft;
    case kTokenShiftRightAssign: return BinaryOperator::ShiftRight;
    case kTokenLogicalShiftRightAssign: return BinaryOperator::LogicalShiftRight;
    case kTokenRotateLeftAssign: return BinaryOperator::RotateLeft;
    case kTokenRotateRightAssign: return BinaryOperator::RotateRight;
    case kTokenConcatAssign: return BinaryOperator::Concat;
    default: return BinaryOperator::None;
  }
}

struct Priority {
  uint8_t left;
  uint8_t right;
};

Priority priority_of(BinaryOperator op) {
  switch (op) {
    case BinaryOperator::Or: return {1, 1};
    case BinaryOperator::And: return {2, 2};
    case BinaryOperator::Equal:
    case BinaryOperator::NotEqual:
    case BinaryOperator::Less:
    case BinaryOperator::LessEqual:
    case BinaryOperator::Greater:
    case BinaryOperator::GreaterEqual: return {3, 3};
    case BinaryOperator::BitOr: return {6, 6};
    case BinaryOperator::BitXor: return {7, 7};
    case BinaryOperator::BitAnd: return {8, 8};
    case BinaryOperator::ShiftLeft:
    case BinaryOperator::ShiftRight:
    case BinaryOperator::LogicalShiftRight:
    case BinaryOperator::RotateLeft:
    case BinaryOperator::RotateRight: return {9, 9};
    case BinaryOperator::Concat: return {15, 14};  // right associative
    case BinaryOperator::Add:
    case BinaryOperator::Sub: return {16, 16};
    case BinaryOperator::Mul:
    case BinaryOperator::Div:
    case BinaryOperator::Idiv:
    case BinaryOperator::Mod: return {17, 17};
    case BinaryOperator::Pow: return {20, 19};  // right associative
    case BinaryOperator::None: break;
  }
  return {0, 0};
}

constexpr int kUnaryPriority = 18;

// Parses operators binding tighter than `limit`; returns the first operator
// it did not take.
BinaryOperator sub_expression(Parser& p, Expression& v, int limit) {
  enter_level(p);
  UnaryOperator unary = unary_operator(p.token());
  if (unary != UnaryOperator::None) {
    int line = p.lexer.line_number;
    next(p);
    sub_expression(p, v, kUnaryPriority);
    emit_prefix(p.fs(), unary, v, line);
  } else {
    simple_expression(p, v);
  }
  BinaryOperator op = binary_operator(p.token());
  while (op != BinaryOperator::None && priority_of(op).left > limit) {
    int line = p.lexer.line_number;
    next(p);
    emit_infix(p.fs(), op, v);
    Expression right;
    BinaryOperator following = sub_expression(p, right, priority_of(op).right);
    emit_postfix(p.fs(), op, v, right, line);
    op = following;
  }
  leave_level(p);
  return op;
}

void expression(Parser& p, Expression& e) { sub_expression(p, e, 0); }

int expression_list(Parser& p, Expression& e) {
  int count = 1;
  expression(p, e);
  while (test_next(p, ',')) {
    expression_to_next_register(p.fs(), e);
    expression(p, e);
    ++count;
  }
  return count;
}

// "?" followed by an argument list: a call of whatever `print` names here.
void print_call(Parser& p, Expression& e) {
  FunctionState& fs = p.fs();
  int line = p.lexer.line_number;
  next(p);  // '?'
  named_variable(p, "print", e);
  expression_to_next_register(fs, e);
  int base = e.info;
  Expression args;
  if (p.token() != kTokenEndOfLine && p.token() != kTokenEndOfStream) {
    expression_list(p, args);
    set_multiple_returns(fs, args);
  }
  int parameters;
  if (has_multiple_results(args.kind)) {
    parameters = kMultipleResults;
  } else {
    if (args.kind != K::Void) expression_to_next_register(fs, args);
    parameters = fs.free_register - (base + 1);
  }
  e = make_expression(K::Call, emit_abc(fs, OpCode::CALL, base, parameters + 1, 2));
  set_line_of_last_instruction(fs, line);
  fs.free_register = base + 1;
}

// --- statements -----------------------------------------------------------------------

void block(Parser& p) {
  BlockScope scope;
  enter_block(p.fs(), scope, false);
  statement_list(p);
  leave_block(p);
}

// A target of a multiple assignment, chained to the targets before it.
struct AssignmentTarget {
  AssignmentTarget* previous = nullptr;
  Expression v;
};

bool is_variable(K kind) { return kind == K::Local || kind == K::Upvalue || kind == K::Indexed; }

// In a, t[a] = ..., an earlier target indexes a table or key that a later
// target assigns: copy the table or key to a safe register first.
void check_conflict(Parser& p, AssignmentTarget* target, const Expression& v) {
  FunctionState& fs = p.fs();
  int extra = fs.free_register;
  bool conflict = false;
  for (; target; target = target->previous) {
    Expression& t = target->v;
    if (t.kind != K::Indexed) continue;
    if (t.table_is_upvalue == (v.kind == K::Upvalue) && t.table == v.info) {
      conflict = true;
      t.table_is_upvalue = false;
      t.table = extra;
    }
    if (v.kind == K::Local && t.key == v.info) {
      conflict = true;
      t.key = extra;
    }
  }
  if (conflict) {
    emit_abc(fs, v.kind == K::Local ? OpCode::MOVE : OpCode::GETUPVAL, extra, v.info, 0);
    reserve_registers(fs, 1);
  }
}

void assignment(Parser& p, AssignmentTarget& target, int variables) {
  FunctionState& fs = p.fs();
  check_condition(p, is_variable(target.v.kind), "syntax error");
  Expression e;
  if (test_next(p, ',')) {
    AssignmentTarget next_target;
    next_target.previous = &target;
    suffixed_expression(p, next_target.v);
    if (next_target.v.kind != K::Indexed) check_conflict(p, &target, next_target.v);
    check_limit(fs, variables + p.compiler.nesting_level, kMaxNestingLevels, "C levels");
    assignment(p, next_target, variables + 1);
  } else {
    check_next(p, '=');
    int expressions = expression_list(p, e);
    if (expressions != variables) {
      adjust_assign(p, variables, expressions, e);
      if (expressions > variables) fs.free_register -= expressions - variables;
    } else {
      set_one_return(fs, e);
      store_variable(fs, target.v, e);
      return;
    }
  }
  e = make_expression(K::NonRelocable, fs.free_register - 1);
  store_variable(fs, target.v, e);
}

// target op= expression: the table and key of an indexed target are
// evaluated once and kept in registers (as hidden locals) until the store.
void compound_assignment(Parser& p, Expression& target) {
  FunctionState& fs = p.fs();
  check_condition(p, is_variable(target.kind), "syntax error");
  BinaryOperator op = compound_operator(p.token());
  int line = p.lexer.line_number;
  next(p);
  int outer_locals = fs.active_locals;
  int hidden = fs.free_register - fs.active_locals;
  for (int i = 0; i < hidden; ++i) new_local_variable(p, "(for compound)");
  activate_local_variables(p, hidden);
  Expression value = target;
  emit_infix(fs, op, value);
  Expression right;
  expression(p, right);
  emit_postfix(fs, op, value, right, line);
  store_variable(fs, target, value);
  remove_variables(fs, outer_locals);
}

void expression_statement(Parser& p) {
  FunctionState& fs = p.fs();
  AssignmentTarget target;
  suffixed_expression(p, target.v);
  if (p.token() == '=' || p.token() == ',') {
    assignment(p, target, 1);
  } else if (compound_operator(p.token()) != BinaryOperator::None) {
    compound_assignment(p, target.v);
  } else {
    check_condition(p, target.v.kind == K::Call, "syntax error");
    Instruction& call = instruction_of(fs, target.v);
    call = (call & ~(Instruction(kMaxArgC) << kPosC)) | (Instruction(1) << kPosC);  // no results
  }
}

void print_statement(Parser& p) {
  FunctionState& fs = p.fs();
  int line = p.lexer.line_number;
  Expression call;
  print_call(p, call);
  Instruction& i = instruction_of(fs, call);
  i = (i & ~(Instruction(kMaxArgC) << kPosC)) | (Instruction(1) << kPosC);
  if (p.token() != kTokenEndOfStream) check_match(p, kTokenEndOfLine, kTokenQuestion, line);
}

int condition(Parser& p) {
  Expression v;
  expression(p, v);
  if (v.kind == K::Nil) v.kind = K::False;  // nil and false both fail the test
  go_if_true(p.fs(), v);
  return v.false_list;
}

void goto_statement(Parser& p, int pc) {
  int line = p.lexer.line_number;
  std::string label;
  if (test_next(p, kTokenGoto)) {
    label = check_name(p);
  } else {
    next(p);  // 'break'
    label = "break";
  }
  int index = new_label_entry(p, p.compiler.gotos, label, line, pc);
  find_label(p, index);
}

void skip_no_op_statements(Parser& p) {
  while (p.token() == ';' || p.token() == kTokenDoubleColon) statement(p);
}

void label_statement(Parser& p, const std::string& name, int line) {
  FunctionState& fs = p.fs();
  auto& labels = p.compiler.labels;
  for (size_t i = size_t(fs.block->first_label); i < labels.size(); ++i) {
    if (labels[i].name == name) {
      semantic_error(fs, "label '" + name + "' already defined on line " + at_line(p, labels[i].line));
    }
  }
  check_next(p, kTokenDoubleColon);
  int index = new_label_entry(p, labels, name, line, current_pc(fs));
  skip_no_op_statements(p);
  // A label at the end of a block sees no locals of the block.
  if (block_follows(p, false)) labels[size_t(index)].active_locals = fs.block->active_locals;
  find_gotos(p, index);
}

// Ends a one-line if or while: at else, elseif, end or until the owed
// end-of-line is cancelled and the token left to the enclosing statement.
void end_one_line_statement(Parser& p, int who, int line) {
  switch (p.token()) {
    case kTokenElse:
    case kTokenElseif:
    case kTokenEnd:
    case kTokenUntil:
      if (p.lexer.pending_end_of_lines > 0) --p.lexer.pending_end_of_lines;
      return;
    case kTokenEndOfLine: next(p); return;
    case kTokenEndOfStream: return;
    default: check_match(p, kTokenEndOfLine, who, line);
  }
}

// Sets the parenthesis balance before a condition of if or while.
void start_condition(Parser& p) { p.lexer.parenthesis_balance = p.token() == '(' ? 1 : -1; }

bool is_one_line_body(Parser& p, int line) {
  return p.token() != kTokenEndOfStream && p.lexer.parenthesis_balance == 0 &&
         p.lexer.line_number == line;
}

void while_statement(Parser& p, int line) {
  FunctionState& fs = p.fs();
  next(p);
  int loop_start = mark_jump_target(fs);
  start_condition(p);
  int exit = condition(p);
  BlockScope scope;
  enter_block(fs, scope, true);
  bool one_line = false;
  if (p.token() == kTokenDo) {
    next(p);
  } else if (is_one_line_body(p, line)) {
    one_line = true;
    ++p.lexer.pending_end_of_lines;
  } else {
    error_expected(p, kTokenDo);
  }
  block(p);
  patch_jump_list(fs, emit_jump(fs), loop_start);
  if (one_line) end_one_line_statement(p, kTokenWhile, line);
  else check_match(p, kTokenEnd, kTokenWhile, line);
  leave_block(p);
  patch_to_here(fs, exit);
}

void repeat_statement(Parser& p, int line) {
  FunctionState& fs = p.fs();
  int loop_start = mark_jump_target(fs);
  BlockScope loop_scope, body_scope;
  enter_block(fs, loop_scope, true);
  enter_block(fs, body_scope, false);
  next(p);
  statement_list(p);
  check_match(p, kTokenUntil, kTokenRepeat, line);
  int exit = condition(p);  // the condition sees the body's locals
  if (body_scope.has_upvalue) patch_close_upvalues(fs, exit, body_scope.active_locals);
  leave_block(p);
  patch_jump_list(fs, exit, loop_start);
  leave_block(p);
}

void for_expression(Parser& p) {
  Expression e;
  expression(p, e);
  expression_to_next_register(p.fs(), e);
}

void for_body(Parser& p, int base, int line, int variables, bool numeric) {
  FunctionState& fs = p.fs();
  activate_local_variables(p, 3);  // the control variables
  check_next(p, kTokenDo);
  int prepare = numeric ? emit_asbx(fs, OpCode::FORPREP, base, kNoJump) : emit_jump(fs);
  BlockScope scope;
  enter_block(fs, scope, false);
  activate_local_variables(p, variables);
  reserve_registers(fs, variables);
  block(p);
  leave_block(p);
  patch_to_here(fs, prepare);
  int loop_end;
  if (numeric) {
    loop_end = emit_asbx(fs, OpCode::FORLOOP, base, kNoJump);
  } else {
    emit_abc(fs, OpCode::TFORCALL, base, 0, variables);
    set_line_of_last_instruction(fs, line);
    loop_end = emit_asbx(fs, OpCode::TFORLOOP, base + 2, kNoJump);
  }
  patch_jump_list(fs, loop_end, prepare + 1);
  set_line_of_last_instruction(fs, line);
}

void numeric_for(Parser& p, const std::string& name, int line) {
  FunctionState& fs = p.fs();
  int base = fs.free_register;
  new_local_variable(p, "(for index)");
  new_local_variable(p, "(for limit)");
  new_local_variable(p, "(for step)");
  new_local_variable(p, name);
  check_next(p, '=');
  for_expression(p);
  check_next(p, ',');
  for_expression(p);
  if (test_next(p, ',')) {
    for_expression(p);
  } else {
    emit_load_constant(fs, fs.free_register, number_constant(fs, 0x10000));
    reserve_registers(fs, 1);
  }
  for_body(p, base, line, 1, true);
}

void generic_for(Parser& p, const std::string& first_name) {
  FunctionState& fs = p.fs();
  int variables = 4;
  int base = fs.free_register;
  new_local_variable(p, "(for generator)");
  new_local_variable(p, "(for state)");
  new_local_variable(p, "(for control)");
  new_local_variable(p, first_name);
  while (test_next(p, ',')) {
    new_local_variable(p, check_name(p));
    ++variables;
  }
  check_next(p, kTokenIn);
  int line = p.lexer.line_number;
  Expression e;
  adjust_assign(p, 3, expression_list(p, e), e);
  check_stack(fs, 3);  // room for the iterator call
  for_body(p, base, line, variables - 3, false);
}

void for_statement(Parser& p, int line) {
  FunctionState& fs = p.fs();
  BlockScope scope;
  enter_block(fs, scope, true);
  next(p);
  std::string name = check_name(p);
  switch (p.token()) {
    case '=': numeric_for(p, name, line); break;
    case ',':
    case kTokenIn: generic_for(p, name); break;
    default: syntax_error(p.lexer, "'=' or 'in' expected");
  }
  check_match(p, kTokenEnd, kTokenFor, line);
  leave_block(p);
}

// [IF | ELSEIF] cond THEN block. Returns whether this `if` is the one-line
// form (a parenthesised condition followed by the body on the same line).
bool test_then_block(Parser& p, int* escape_list, int line, bool allow_one_line) {
  FunctionState& fs = p.fs();
  next(p);  // 'if' or 'elseif'
  start_condition(p);
  Expression v;
  expression(p, v);
  bool one_line = false;
  if (p.token() == kTokenThen || p.token() == kTokenDo) {
    next(p);
  } else if (allow_one_line && is_one_line_body(p, line)) {
    one_line = true;
    ++p.lexer.pending_end_of_lines;
  } else {
    error_expected(p, kTokenThen);
  }
  BlockScope scope;
  int skip;
  if (p.token() == kTokenGoto || p.token() == kTokenBreak) {
    go_if_false(fs, v);  // jumps to the label when the condition holds
    enter_block(fs, scope, false);
    goto_statement(p, v.true_list);
    skip_no_op_statements(p);
    // A one-line body may also end at 'until'.
    if (block_follows(p, one_line)) {
      leave_block(p);
      return one_line;
    }
    skip = emit_jump(fs);
  } else {
    go_if_true(fs, v);
    enter_block(fs, scope, false);
    skip = v.false_list;
  }
  statement_list(p);
  leave_block(p);
  if (p.token() == kTokenElse || p.token() == kTokenElseif) concat_jump_lists(fs, escape_list, emit_jump(fs));
  patch_to_here(fs, skip);
  return one_line;
}

void if_statement(Parser& p, int line) {
  int escape_list = kNoJump;
  bool one_line = test_then_block(p, &escape_list, line, true);
  while (p.token() == kTokenElseif) test_then_block(p, &escape_list, line, false);
  if (test_next(p, kTokenElse)) block(p);
  if (one_line) end_one_line_statement(p, kTokenIf, line);
  else check_match(p, kTokenEnd, kTokenIf, line);
  patch_to_here(p.fs(), escape_list);
}

void local_function(Parser& p) {
  FunctionState& fs = p.fs();
  new_local_variable(p, check_name(p));
  activate_local_variables(p, 1);
  Expression body;
  function_body(p, body, false, p.lexer.line_number);
  // The local is visible (for debug information) only after its closure.
  local_variable(fs, body.info).start_pc = current_pc(fs);
}

void local_statement(Parser& p) {
  int variables = 0;
  int expressions;
  Expression e;
  do {
    new_local_variable(p, check_name(p));
    ++variables;
  } while (test_next(p, ','));
  if (test_next(p, '=')) {
    expressions = expression_list(p, e);
  } else {
    e.kind = K::Void;
    expressions = 0;
  }
  adjust_assign(p, variables, expressions, e);
  activate_local_variables(p, variables);
}

bool function_name(Parser& p, Expression& v) {
  single_variable(p, v);
  while (p.token() == '.') field_selector(p, v);
  if (p.token() == ':') {
    field_selector(p, v);
    return true;
  }
  return false;
}

void function_statement(Parser& p, int line) {
  next(p);
  Expression v, body;
  bool is_method = function_name(p, v);
  function_body(p, body, is_method, line);
  store_variable(p.fs(), v, body);
  set_line_of_last_instruction(p.fs(), line);
}

void return_statement(Parser& p) {
  FunctionState& fs = p.fs();
  Expression e;
  int first = 0;
  int count = 0;
  if (!block_follows(p, true) && p.token() != ';') {
    count = expression_list(p, e);
    if (has_multiple_results(e.kind)) {
      set_multiple_returns(fs, e);
      if (e.kind == K::Call && count == 1) {
        Instruction& call = instruction_of(fs, e);
        call = (call & ~Instruction(0x3f)) | Instruction(OpCode::TAILCALL);
      }
      first = fs.active_locals;
      count = kMultipleResults;
    } else if (count == 1) {
      first = expression_to_any_register(fs, e);
    } else {
      expression_to_next_register(fs, e);
      first = fs.active_locals;
    }
  }
  emit_return(fs, first, count);
  test_next(p, ';');
}

void statement(Parser& p) {
  int line = p.lexer.line_number;
  p.compiler.statement_line = line;
  enter_level(p);
  switch (p.token()) {
    case ';': next(p); break;
    case kTokenIf: if_statement(p, line); break;
    case kTokenWhile: while_statement(p, line); break;
    case kTokenDo:
      next(p);
      block(p);
      check_match(p, kTokenEnd, kTokenDo, line);
      break;
    case kTokenFor: for_statement(p, line); break;
    case kTokenRepeat: repeat_statement(p, line); break;
    case kTokenFunction: function_statement(p, line); break;
    case kTokenLocal:
      next(p);
      if (test_next(p, kTokenFunction)) local_function(p);
      else local_statement(p);
      break;
    case kTokenDoubleColon: {
      next(p);
      std::string name = check_name(p);
      label_statement(p, name, line);
      break;
    }
    case kTokenReturn:
      next(p);
      return_statement(p);
      break;
    case kTokenBreak:
    case kTokenGoto: goto_statement(p, emit_jump(p.fs())); break;
    case kTokenQuestion: print_statement(p); break;
    default: expression_statement(p); break;
  }
  FunctionState& fs = p.fs();
  fs.free_register = fs.active_locals;
  leave_level(p);
}

void statement_list(Parser& p) {
  while (!block_follows(p, true)) {
    if (p.token() == kTokenReturn) {
      statement(p);
      return;  // 'return' must be the last statement
    }
    statement(p);
  }
}

}  // namespace

std::unique_ptr<CompiledFunction> parse_chunk(CompilerState& compiler, std::string_view source,
                                              const std::string& chunk_name) {
  Parser p{compiler, compiler.lexer};
  auto main = std::make_unique<CompiledFunction>();
  main->source_name = chunk_name;
  lexer_start(compiler.lexer, source);
  FunctionState fs;
  BlockScope block_scope;
  open_function(p, fs, main.get(), block_scope);
  main->is_vararg = true;
  Expression env = make_expression(K::Local, 0);
  new_upvalue(fs, "_ENV", env);
  next(p);
  statement_list(p);
  check(p, kTokenEndOfStream);
  close_function(p);
  return main;
}

}  // namespace tamori::lang
