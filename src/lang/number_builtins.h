// The numeric built-in functions of the cartridge language as plain
// functions on raw 16.16 values, independent of the interpreter. The
// interpreter binds each one under its cartridge-visible name: it converts
// every argument to a raw number first (a number as it is, a string by the
// text-to-number rule, anything else or an unconvertible string as 0), then
// passes the values together with the real argument count, and finally adds
// the returned cycle change to the slice's cycle counter (cpu_cycles_slice).
//
// Cycle changes (added directly to the counter; negative values are refunds):
//   flr ceil bnot band bor bxor shl shr lshr rotl rotr: minus the argument
//     count, so that flr(x) costs about as much as the operator form;
//   sqrt: 12, plus 16 when the argument is >= 0;
//   abs sgn min max mid cos sin atan2: 0;
//   tostr: 4 always; tonum: 4 when its first argument is a string, else 0.
// All except tostr and tonum are fast functions: they always give one number.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tamori::lang {

struct NumberBuiltinResult {
  int32_t value = 0;
  int cycles = 0;  // change to the cycle counter (negative = refund)
};

// `args` holds `count` converted arguments; missing ones count as 0.
using NumberBuiltinFunction = NumberBuiltinResult (*)(const int32_t* args, int count);

NumberBuiltinResult builtin_flr(const int32_t* args, int count);
NumberBuiltinResult builtin_ceil(const int32_t* args, int count);
NumberBuiltinResult builtin_abs(const int32_t* args, int count);
NumberBuiltinResult builtin_sgn(const int32_t* args, int count);
NumberBuiltinResult builtin_min(const int32_t* args, int count);
NumberBuiltinResult builtin_max(const int32_t* args, int count);
NumberBuiltinResult builtin_mid(const int32_t* args, int count);
NumberBuiltinResult builtin_sqrt(const int32_t* args, int count);
NumberBuiltinResult builtin_cos(const int32_t* args, int count);
NumberBuiltinResult builtin_sin(const int32_t* args, int count);
NumberBuiltinResult builtin_atan2(const int32_t* args, int count);
NumberBuiltinResult builtin_band(const int32_t* args, int count);
NumberBuiltinResult builtin_bor(const int32_t* args, int count);
NumberBuiltinResult builtin_bxor(const int32_t* args, int count);
NumberBuiltinResult builtin_bnot(const int32_t* args, int count);
NumberBuiltinResult builtin_shl(const int32_t* args, int count);
NumberBuiltinResult builtin_shr(const int32_t* args, int count);
NumberBuiltinResult builtin_lshr(const int32_t* args, int count);
NumberBuiltinResult builtin_rotl(const int32_t* args, int count);
NumberBuiltinResult builtin_rotr(const int32_t* args, int count);

struct NumberBuiltinEntry {
  const char* name;  // the cartridge-visible global name
  NumberBuiltinFunction function;
};

// The fast numeric built-ins in registration order: flr ceil abs sgn min max
// mid sqrt cos sin atan2 band bor bxor bnot shl shr lshr rotl rotr.
std::span<const NumberBuiltinEntry> number_builtin_table();

// A plain description of one argument of tostr or tonum.
enum class BuiltinValueKind : uint8_t { Nil, Boolean, Number, String, Other };

struct BuiltinValue {
  BuiltinValueKind kind = BuiltinValueKind::Nil;
  int32_t number = 0;          // raw value when kind is Number
  bool boolean = false;        // when kind is Boolean
  std::string_view text;       // when kind is String
  std::string_view type_name;  // when kind is Other: "table", "function", ...
};

struct ConversionResult {
  enum class Kind : uint8_t { NoValue, Number, Text };
  Kind kind = Kind::NoValue;  // NoValue: the function returns nothing, not even nil
  int32_t number = 0;
  std::string text;
  int cycles = 0;
};

// The lenient numeric reading of an argument: a number as it is, a string by
// the text-to-number rule, anything else (or an unconvertible string) as 0.
int32_t builtin_number_argument(const BuiltinValue& value);

// tostr(v, flags): text of v; flags bit 0 (or true) asks for hexadecimal,
// bit 1 for the raw value as a whole number ("0x%08x" with bit 0).
ConversionResult builtin_tostr(const BuiltinValue* args, int count);

// tonum(v, flags): a number from v; flags bit 0 reads hexadecimal digits,
// bit 1 gives raw bits (with bit 0) or a raw decimal integer (alone),
// bit 2 turns a failed conversion into 0.
ConversionResult builtin_tonum(const BuiltinValue* args, int count);

}  // namespace tamori::lang
