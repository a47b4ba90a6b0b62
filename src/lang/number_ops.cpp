// Exact results of the arithmetic, bitwise and shift operators on raw 16.16
// values. Every intermediate step that could overflow is done in uint32_t or
// int64_t so that wrap-around is well defined.
#include "lang/number_ops.h"

#include <cstdint>

namespace tamori::lang {
namespace {

constexpr int32_t kOne = 0x10000;
constexpr int32_t kLargest = 0x7fffffff;

int32_t wrap_to_raw(uint32_t bits) { return static_cast<int32_t>(bits); }

int32_t clamp_quotient(int64_t quotient) {
  if (quotient > kLargest) return kLargest;
  if (quotient < -kLargest) return -kLargest;
  return static_cast<int32_t>(quotient);
}

bool is_positive_whole(int32_t raw) { return raw >= kOne && (raw & 0xffff) == 0; }

int32_t modulo(int32_t a, int32_t b) {
  if (b == 0) return 0;
  const uint32_t divisor = b < 0 ? 0u - static_cast<uint32_t>(b) : static_cast<uint32_t>(b);
  // The most negative dividend is replaced by a congruent value whose
  // negation fits in 32 bits.
  uint32_t x = static_cast<uint32_t>(a);
  if (a == INT32_MIN) x = divisor | 0x80000000u;
  if (static_cast<int32_t>(x) < 0) x = divisor - ((0u - x) % divisor);
  return static_cast<int32_t>(x % divisor);
}

int32_t reciprocal_for_power(int32_t a) {
  if (is_positive_whole(a)) return static_cast<int32_t>(0x10000u / static_cast<uint32_t>(a >> 16));
  if (a == 0) return kLargest;
  return clamp_quotient((int64_t{1} << 32) / a);
}

int32_t power(int32_t a, int32_t b, int* extra_cycles) {
  if (b == 0) return kOne;
  if (b < 0) {
    a = reciprocal_for_power(a);
    b = wrap_to_raw(0u - static_cast<uint32_t>(b));
  }
  int32_t result = kOne;
  int32_t square = a;
  for (uint32_t bits = static_cast<uint32_t>(b) >> 16; bits != 0; bits >>= 1) {
    if (bits & 1u) result = number_multiply(result, square);
    if (bits > 1u) square = number_multiply(square, square);
  }
  int cycles = 16;
  int32_t root = a;
  uint32_t fraction = static_cast<uint32_t>(b) & 0xffffu;
  while (fraction != 0) {
    if (root < 0) {
      root = 0;
    } else {
      root = number_sqrt(root);
      cycles += 16;
    }
    fraction <<= 1;
    if (fraction >= 0x10000u) {
      result = number_multiply(result, root);
      fraction -= 0x10000u;
    }
  }
  if (extra_cycles) *extra_cycles = cycles;
  return result;
}

}  // namespace

int32_t number_divide(int32_t a, int32_t b) {
  if (is_positive_whole(b)) return a / (b >> 16);
  if (b == 0) return a >= 0 ? kLargest : -kLargest;
  return clamp_quotient((int64_t{a} * 65536) / b);
}

int32_t number_sqrt(int32_t raw) {
  if (raw <= 0) return 0;
  // Bit-by-bit integer square root of raw << 16, rounding down.
  uint64_t remainder = static_cast<uint64_t>(raw) << 16;
  uint64_t root = 0;
  uint64_t bit = uint64_t{1} << 46;
  while (bit > remainder) bit >>= 2;
  while (bit != 0) {
    if (remainder >= root + bit) {
      remainder -= root + bit;
      root = (root >> 1) + bit;
    } else {
      root >>= 1;
    }
    bit >>= 2;
  }
  return static_cast<int32_t>(root);
}

int32_t number_shift(ArithOp op, int32_t a, int32_t b) {
  const int32_t amount = b >> 16;
  const uint32_t bits = static_cast<uint32_t>(a);
  switch (op) {
    case ArithOp::Shl:
      if (amount >= 32 || amount < -31) return 0;
      return wrap_to_raw(amount >= 0 ? bits << amount : bits >> -amount);
    case ArithOp::Lshr:
      if (amount >= 32 || amount < -31) return 0;
      return wrap_to_raw(amount >= 0 ? bits >> amount : bits << -amount);
    case ArithOp::Shr:
      if (amount >= 32) return a >> 31;
      if (amount < -31) return 0;
      return amount >= 0 ? a >> amount : wrap_to_raw(bits << -amount);
    case ArithOp::Rotl: {
      const unsigned turn = static_cast<unsigned>(amount) & 31u;
      return wrap_to_raw(turn == 0 ? bits : (bits << turn) | (bits >> (32 - turn)));
    }
    case ArithOp::Rotr: {
      const unsigned turn = static_cast<unsigned>(amount) & 31u;
      return wrap_to_raw(turn == 0 ? bits : (bits >> turn) | (bits << (32 - turn)));
    }
    default:
      return 0;
  }
}

bool number_arith(ArithOp op, int32_t a, int32_t b, int32_t* result, int* extra_cycles) {
  if (extra_cycles) *extra_cycles = 0;
  const uint32_t ua = static_cast<uint32_t>(a);
  const uint32_t ub = static_cast<uint32_t>(b);
  int32_t value = 0;
  switch (op) {
    case ArithOp::Add: value = wrap_to_raw(ua + ub); break;
    case ArithOp::Sub: value = wrap_to_raw(ua - ub); break;
    case ArithOp::Mul: value = number_multiply(a, b); break;
    case ArithOp::Div: value = number_divide(a, b); break;
    case ArithOp::Idiv: value = wrap_to_raw(static_cast<uint32_t>(number_divide(a, b)) & 0xffff0000u); break;
    case ArithOp::Mod: value = modulo(a, b); break;
    case ArithOp::Pow: value = power(a, b, extra_cycles); break;
    case ArithOp::And: value = wrap_to_raw(ua & ub); break;
    case ArithOp::Or: value = wrap_to_raw(ua | ub); break;
    case ArithOp::Xor: value = wrap_to_raw(ua ^ ub); break;
    case ArithOp::Shl:
    case ArithOp::Shr:
    case ArithOp::Lshr:
    case ArithOp::Rotl:
    case ArithOp::Rotr: value = number_shift(op, a, b); break;
    case ArithOp::Not: value = wrap_to_raw(~ua); break;
    case ArithOp::Unm: value = wrap_to_raw(0u - ua); break;
    case ArithOp::Peek:
    case ArithOp::Peek2:
    case ArithOp::Peek4:
    default: return false;
  }
  *result = value;
  return true;
}

}  // namespace tamori::lang
