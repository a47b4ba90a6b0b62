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

// The individual operations behind number_arith, for callers that already
// know which one they need.

// Floor of the exact product (64-bit product shifted right by 16), wrapping.
inline int32_t number_multiply(int32_t a, int32_t b) {
  const int64_t product = int64_t{a} * int64_t{b};
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(product >> 16)));
}

// Division with its three paths: by a positive whole number (truncating),
// by zero (0x7fffffff, or 0x80000001 for a negative dividend), and the
// general 64-bit quotient clamped to [-0x7fffffff, 0x7fffffff].
int32_t number_divide(int32_t a, int32_t b);

// Square root at 1/65536 resolution, rounded down; 0 for values <= 0.
int32_t number_sqrt(int32_t raw);

// Shl, Shr, Lshr, Rotl or Rotr of raw a by floor(b) places (0 for any other op).
int32_t number_shift(ArithOp op, int32_t a, int32_t b);

// Comparisons order raw values as signed 32-bit integers.
inline bool number_less(int32_t a, int32_t b) { return a < b; }
inline bool number_less_equal(int32_t a, int32_t b) { return a <= b; }

}  // namespace tamori::lang
