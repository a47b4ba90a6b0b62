// What the code generator produces and the virtual machine loads: plain data,
// with no reference to the interpreter's run-time values, so that the compiler
// can be tested on its own (through listings) and the VM can be fed
// hand-built functions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "lang/opcodes.h"

namespace tamori::lang {

struct Nil {
  bool operator==(const Nil&) const = default;
};

// A constant of a compiled function: nil, a boolean, a raw 16.16 number or a
// byte string.
struct FixedConstant {
  int32_t raw = 0;
  bool operator==(const FixedConstant&) const = default;
};
using Constant = std::variant<Nil, bool, FixedConstant, std::string>;

struct UpvalueDescription {
  std::string name;
  bool in_stack = false;  // true: captures a register of the enclosing function
  uint8_t index = 0;      // register (in_stack) or enclosing function's upvalue
};

struct LocalVariableDescription {
  std::string name;
  int start_pc = 0;  // first instruction where the variable is active
  int end_pc = 0;    // first instruction where it is dead
};

struct CompiledFunction {
  std::vector<Instruction> code;
  std::vector<int> line_of_instruction;  // source line of each instruction
  std::vector<Constant> constants;
  std::vector<std::unique_ptr<CompiledFunction>> functions;  // nested prototypes
  std::vector<UpvalueDescription> upvalues;
  std::vector<LocalVariableDescription> locals;
  std::string source_name;
  int line_defined = 0;
  int last_line_defined = 0;
  uint8_t parameter_count = 0;
  bool is_vararg = false;
  uint8_t max_stack_size = 2;
};

}  // namespace tamori::lang
