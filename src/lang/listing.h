// A readable listing of a compiled function and its nested functions:
// instructions with opcode names, operands and notes, then constants,
// locals and upvalues. Used by golden tests and for debugging.
#pragma once

#include <string>

#include "lang/compiled_function.h"

namespace tamori::lang {

std::string list_function(const CompiledFunction& function);

// One constant as it appears in listings: nil, true, 1.5 (0x00018000), "text".
std::string constant_text(const Constant& constant);

}  // namespace tamori::lang
