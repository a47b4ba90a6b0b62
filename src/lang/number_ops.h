// The arithmetic of the cartridge language on raw 16.16 values, shared by the
// interpreter's number fast path and by constant folding in the code
// generator, so that both always agree.
#pragma once

#include <cstdint>

#include "lang/opcodes.h"

namespace tamori::lang {

// Applies the arithmetic or bitwise instruction `op` (ADD..POW, TMBAND..IDIV,
// UNM; unary operations ignore `b`) to two raw 16.16 values. Returns false for
// opcodes that are not arithmetic. `extra_cycles`, when given, receives the
// additional CPU charge of the operation (the power charge; 0 otherwise).
bool number_arith(OpCode op, int32_t a, int32_t b, int32_t* result, int* extra_cycles = nullptr);

}  // namespace tamori::lang
