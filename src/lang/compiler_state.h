// Records shared by the parser and the code generator while one chunk is
// compiled: expression descriptors, the state of each function being built,
// block scopes and the pending gotos and labels.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "lang/compiled_function.h"
#include "lang/lexer.h"

namespace tamori::lang {

inline constexpr int kNoJump = -1;
inline constexpr int kNoRegister = kMaxArgA;
inline constexpr int kMultipleResults = -1;
inline constexpr int kMaxRegisters = 250;
inline constexpr int kMaxLocalVariables = 200;
inline constexpr int kMaxUpvalues = 255;
inline constexpr int kMaxNestingLevels = 200;

// Where the value of an expression is while it is being compiled. The code
// generator delays emitting the instruction that places a value until it
// knows the register the value must end up in.
enum class ExpressionKind : uint8_t {
  Void,          // no value (empty expression list)
  Nil,
  True,
  False,
  Constant,      // info: index in the constant table
  Number,        // number: raw value, not yet in the constant table
  NonRelocable,  // info: the register holding the value
  Local,         // info: register of a local variable
  Upvalue,       // info: upvalue index
  Indexed,       // table: register or upvalue; key: register-or-constant operand
  Jump,          // info: pc of the jump of a comparison
  Relocable,     // info: pc of an instruction whose register A is still open
  Call,          // info: pc of the CALL instruction
  Vararg,        // info: pc of the VARARG instruction
};

struct Expression {
  ExpressionKind kind = ExpressionKind::Void;
  int info = 0;
  int32_t number = 0;
  int table = 0;
  int key = 0;
  bool table_is_upvalue = false;
  int true_list = kNoJump;   // jumps taken when the expression is true
  int false_list = kNoJump;  // jumps taken when it is false
};

inline Expression make_expression(ExpressionKind kind, int info) {
  Expression e;
  e.kind = kind;
  e.info = info;
  return e;
}

// A pending goto or a visible label.
struct LabelEntry {
  std::string name;
  int pc = 0;
  int line = 0;
  int active_locals = 0;  // locals active at the goto or label
};

struct BlockScope {
  BlockScope* previous = nullptr;
  int first_label = 0;    // index of the block's first label
  int first_goto = 0;     // index of the block's first pending goto
  int active_locals = 0;  // locals active outside the block
  bool has_upvalue = false;  // some local of the block is captured
  bool is_loop = false;
};

struct CompilerState;

struct FunctionState {
  CompiledFunction* function = nullptr;
  FunctionState* enclosing = nullptr;
  CompilerState* compiler = nullptr;
  BlockScope* block = nullptr;
  int last_target = 0;          // pc of the last jump target
  int pending_jumps = kNoJump;  // jumps to the next instruction emitted
  int active_locals = 0;
  int free_register = 0;
  int first_local = 0;          // first entry of this function in active_variables
  std::unordered_map<std::string, int> constant_index;
};

struct CompilerState {
  LexerState lexer;
  FunctionState* function = nullptr;
  // Active local variables of all open functions, as indices into each
  // function's locals.
  std::vector<int> active_variables;
  std::vector<LabelEntry> gotos;
  std::vector<LabelEntry> labels;
  int nesting_level = 0;
  int statement_line = 0;
};

inline int current_pc(const FunctionState& fs) { return int(fs.function->code.size()); }

}  // namespace tamori::lang
