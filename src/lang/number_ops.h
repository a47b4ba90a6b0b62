// The arithmetic of the cartridge language on raw 16.16 values, shared by the
// interpreter's number fast path and by constant folding in the code
// generator, so that both always agree.
#pragma once

#include <cstdint>

namespace tamori::lang {

// Arithmetic operation codes: the position of each event name after "__add"
// in the metamethod list, so that the metamethod fallback and constant
// folding speak the same codes.
enum class ArithOp : uint8_t {
  Add = 0, Sub, Mul, Div, Mod, Pow, And, Or, Xor, Shl, Shr, Lshr, Rotl, Rotr,
  Not, Idiv, Peek, Peek2, Peek4, Unm,
};

// Applies `op` to two raw 16.16 values (unary operations ignore `b`).
// Returns false for the memory reads (Peek, Peek2, Peek4), which need the
// console's memory and are never folded. `extra_cycles`, when given, receives
// the operation's own additional CPU charge (the power charge; 0 otherwise).
bool number_arith(ArithOp op, int32_t a, int32_t b, int32_t* result, int* extra_cycles = nullptr);

}  // namespace tamori::lang
