#include "lang/number_builtins.h"

#include <array>
#include <cstdio>

#include "lang/fixed.h"
#include "lang/number_ops.h"
#include "lang/number_text.h"
#include "lang/trig.h"

namespace tamori::lang {
namespace {

int32_t argument(const int32_t* args, int count, int index) { return index < count ? args[index] : 0; }

NumberBuiltinResult refunded(int32_t value, int count) { return {value, -count}; }

NumberBuiltinResult operator_builtin(ArithOp op, const int32_t* args, int count) {
  int32_t value = 0;
  number_arith(op, argument(args, count, 0), argument(args, count, 1), &value);
  return refunded(value, count);
}

int32_t smaller(int32_t a, int32_t b) { return b < a ? b : a; }
int32_t larger(int32_t a, int32_t b) { return b > a ? b : a; }

bool is_hex_digit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

uint32_t hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<uint32_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<uint32_t>(c - 'A' + 10);
  return 0;
}

// Every character is a hexadecimal digit; anything else counts as digit 0.
uint32_t read_hex_digits(std::string_view text) {
  uint32_t value = 0;
  for (char c : text) value = (value << 4) + (is_hex_digit(c) ? hex_digit_value(c) : 0);
  return value;
}

bool is_scan_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A signed decimal integer as "%d" reads it: leading spaces, a sign, digits.
// Values beyond 64 bits saturate and only the low 32 bits are kept, so
// ordinary overflow wraps; no digits gives 0.
uint32_t read_decimal_integer(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && is_scan_space(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  uint64_t magnitude = 0;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    const uint64_t digit = static_cast<uint64_t>(text[pos] - '0');
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  const uint64_t value = negative ? 0 - magnitude : magnitude;
  return static_cast<uint32_t>(value);
}

int32_t flags_argument(const BuiltinValue* args, int count) {
  return count > 1 ? fixed_to_int(builtin_number_argument(args[1])) : 0;
}

std::string format_number(const char* format, uint32_t first, uint32_t second) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, format, first, second);
  return buffer;
}

}  // namespace

NumberBuiltinResult builtin_flr(const int32_t* args, int count) {
  return refunded(fixed_from_bits(fixed_bits(argument(args, count, 0)) & 0xffff0000u), count);
}

NumberBuiltinResult builtin_ceil(const int32_t* args, int count) {
  return refunded(fixed_from_bits((fixed_bits(argument(args, count, 0)) + 0xffffu) & 0xffff0000u), count);
}

NumberBuiltinResult builtin_abs(const int32_t* args, int count) {
  const int32_t x = argument(args, count, 0);
  if (x == INT32_MIN) return {0x7fffffff, 0};
  return {x < 0 ? -x : x, 0};
}

NumberBuiltinResult builtin_sgn(const int32_t* args, int count) {
  return {argument(args, count, 0) < 0 ? -kFixedOne : kFixedOne, 0};
}

NumberBuiltinResult builtin_min(const int32_t* args, int count) {
  return {smaller(argument(args, count, 0), argument(args, count, 1)), 0};
}

NumberBuiltinResult builtin_max(const int32_t* args, int count) {
  return {larger(argument(args, count, 0), argument(args, count, 1)), 0};
}

NumberBuiltinResult builtin_mid(const int32_t* args, int count) {
  const int32_t a = argument(args, count, 0);
  const int32_t b = argument(args, count, 1);
  const int32_t c = argument(args, count, 2);
  if (a < b && a < c) return {smaller(b, c), 0};
  if (b < a && b < c) return {smaller(a, c), 0};
  return {smaller(a, b), 0};
}

NumberBuiltinResult builtin_sqrt(const int32_t* args, int count) {
  const int32_t x = argument(args, count, 0);
  if (x < 0) return {0, 12};
  return {number_sqrt(x), 12 + 16};
}

NumberBuiltinResult builtin_cos(const int32_t* args, int count) { return {fixed_cos(argument(args, count, 0)), 0}; }

NumberBuiltinResult builtin_sin(const int32_t* args, int count) { return {fixed_sin(argument(args, count, 0)), 0}; }

NumberBuiltinResult builtin_atan2(const int32_t* args, int count) {
  return {fixed_atan2(argument(args, count, 0), argument(args, count, 1)), 0};
}

NumberBuiltinResult builtin_band(const int32_t* args, int count) { return operator_builtin(ArithOp::And, args, count); }
NumberBuiltinResult builtin_bor(const int32_t* args, int count) { return operator_builtin(ArithOp::Or, args, count); }
NumberBuiltinResult builtin_bxor(const int32_t* args, int count) { return operator_builtin(ArithOp::Xor, args, count); }
NumberBuiltinResult builtin_bnot(const int32_t* args, int count) { return operator_builtin(ArithOp::Not, args, count); }
NumberBuiltinResult builtin_shl(const int32_t* args, int count) { return operator_builtin(ArithOp::Shl, args, count); }
NumberBuiltinResult builtin_shr(const int32_t* args, int count) { return operator_builtin(ArithOp::Shr, args, count); }
NumberBuiltinResult builtin_lshr(const int32_t* args, int count) { return operator_builtin(ArithOp::Lshr, args, count); }
NumberBuiltinResult builtin_rotl(const int32_t* args, int count) { return operator_builtin(ArithOp::Rotl, args, count); }
NumberBuiltinResult builtin_rotr(const int32_t* args, int count) { return operator_builtin(ArithOp::Rotr, args, count); }

std::span<const NumberBuiltinEntry> number_builtin_table() {
  static constexpr std::array<NumberBuiltinEntry, 20> table = {{
      {"flr", builtin_flr},     {"ceil", builtin_ceil}, {"abs", builtin_abs},   {"sgn", builtin_sgn},
      {"min", builtin_min},     {"max", builtin_max},   {"mid", builtin_mid},   {"sqrt", builtin_sqrt},
      {"cos", builtin_cos},     {"sin", builtin_sin},   {"atan2", builtin_atan2}, {"band", builtin_band},
      {"bor", builtin_bor},     {"bxor", builtin_bxor}, {"bnot", builtin_bnot}, {"shl", builtin_shl},
      {"shr", builtin_shr},     {"lshr", builtin_lshr}, {"rotl", builtin_rotl}, {"rotr", builtin_rotr},
  }};
  return table;
}

int32_t builtin_number_argument(const BuiltinValue& value) {
  if (value.kind == BuiltinValueKind::Number) return value.number;
  int32_t converted = 0;
  if (value.kind == BuiltinValueKind::String && text_to_number(value.text, &converted)) return converted;
  return 0;
}

ConversionResult builtin_tostr(const BuiltinValue* args, int count) {
  ConversionResult result;
  result.kind = ConversionResult::Kind::Text;
  result.cycles = 4;
  if (count < 1) return result;
  const BuiltinValue& value = args[0];
  switch (value.kind) {
    case BuiltinValueKind::Boolean:
      result.text = value.boolean ? "true" : "false";
      return result;
    case BuiltinValueKind::String:
      result.text = std::string(value.text);
      return result;
    case BuiltinValueKind::Number: {
      int32_t flags = 0;
      if (count > 1 && args[1].kind == BuiltinValueKind::Boolean) {
        flags = args[1].boolean ? 1 : 0;
      } else {
        flags = flags_argument(args, count);
      }
      const uint32_t bits = fixed_bits(value.number);
      if ((flags & 1) && (flags & 2)) {
        result.text = format_number("0x%08x", bits, 0);
      } else if (flags & 1) {
        result.text = format_number("0x%04x.%04x", bits >> 16, bits & 0xffffu);
      } else if (flags & 2) {
        result.text = std::to_string(value.number);
      } else {
        result.text = number_to_text(value.number);
      }
      return result;
    }
    case BuiltinValueKind::Nil:
      result.text = "[nil]";
      return result;
    case BuiltinValueKind::Other:
      result.text = "[" + std::string(value.type_name) + "]";
      return result;
  }
  return result;
}

ConversionResult builtin_tonum(const BuiltinValue* args, int count) {
  ConversionResult result;
  if (count < 1) return result;
  const BuiltinValue& value = args[0];
  const int32_t flags = flags_argument(args, count);
  switch (value.kind) {
    case BuiltinValueKind::Number:
      result.kind = ConversionResult::Kind::Number;
      result.number = value.number;
      return result;
    case BuiltinValueKind::Boolean:
      result.kind = ConversionResult::Kind::Number;
      result.number = !value.boolean ? 0 : (flags & 2) ? 1 : kFixedOne;
      return result;
    case BuiltinValueKind::String: {
      result.cycles = 4;
      switch (flags & 3) {
        case 0: {
          int32_t number = 0;
          if (text_to_number(value.text, &number)) {
            result.kind = ConversionResult::Kind::Number;
            result.number = number;
          } else if (flags & 4) {
            result.kind = ConversionResult::Kind::Number;
            result.number = 0;
          }
          return result;
        }
        case 1:
          result.kind = ConversionResult::Kind::Number;
          result.number = fixed_from_bits(read_hex_digits(value.text) << 16);
          return result;
        case 3:
          result.kind = ConversionResult::Kind::Number;
          result.number = fixed_from_bits(read_hex_digits(value.text));
          return result;
        default:
          result.kind = ConversionResult::Kind::Number;
          result.number = fixed_from_bits(read_decimal_integer(value.text));
          return result;
      }
    }
    case BuiltinValueKind::Nil:
    case BuiltinValueKind::Other:
      return result;
  }
  return result;
}

}  // namespace tamori::lang
