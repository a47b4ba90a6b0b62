// Binds the numeric built-ins of lang/number_builtins.h: the arithmetic
// ones as fast functions (no call frame, one number back) and tostr/tonum
// as ordinary natives. Each adds the cycle change its rule gives to the
// slice counter.
#include <algorithm>
#include <string_view>

#include "lang/api.h"
#include "lang/cpu_counters.h"
#include "lang/library.h"
#include "lang/number_builtins.h"
#include "lang/state.h"

namespace tamori::lang {
namespace {

// The arithmetic built-ins read at most three arguments.
constexpr int kMostNumberArguments = 3;

template <NumberBuiltinFunction function>
int32_t fast_number_builtin(ThreadState* thread) {
  int count = fast_argument_count(thread);
  int32_t arguments[kMostNumberArguments] = {};
  // Numbers are read in place; anything else is converted as usual.
  const Value* given = thread->stack + thread->top - count;
  for (int i = 0; i < std::min(count, kMostNumberArguments); i++) {
    arguments[i] = is_number(given[i]) ? given[i].number : fast_raw_number(thread, i + 1);
  }
  // The real count goes along: the refunds depend on it.
  NumberBuiltinResult result = function(arguments, count);
  charge_cycles(result.cycles);
  return result.value;
}

struct FastNumberEntry {
  std::string_view name;
  FastFunction function;
};

constexpr FastNumberEntry kFastNumberBuiltins[] = {
    {"flr", fast_number_builtin<builtin_flr>},     {"ceil", fast_number_builtin<builtin_ceil>},
    {"abs", fast_number_builtin<builtin_abs>},     {"sgn", fast_number_builtin<builtin_sgn>},
    {"min", fast_number_builtin<builtin_min>},     {"max", fast_number_builtin<builtin_max>},
    {"mid", fast_number_builtin<builtin_mid>},     {"sqrt", fast_number_builtin<builtin_sqrt>},
    {"cos", fast_number_builtin<builtin_cos>},     {"sin", fast_number_builtin<builtin_sin>},
    {"atan2", fast_number_builtin<builtin_atan2>}, {"band", fast_number_builtin<builtin_band>},
    {"bor", fast_number_builtin<builtin_bor>},     {"bxor", fast_number_builtin<builtin_bxor>},
    {"bnot", fast_number_builtin<builtin_bnot>},   {"shl", fast_number_builtin<builtin_shl>},
    {"shr", fast_number_builtin<builtin_shr>},     {"lshr", fast_number_builtin<builtin_lshr>},
    {"rotl", fast_number_builtin<builtin_rotl>},   {"rotr", fast_number_builtin<builtin_rotr>},
};

// A plain description of the argument at `index` for tostr and tonum. The
// text view stays valid while the argument is on the stack.
BuiltinValue describe_argument(ThreadState* thread, int index) {
  BuiltinValue described;
  Value value = value_at(thread, index);
  switch (value.type) {
    case ValueType::Nil: break;
    case ValueType::Boolean:
      described.kind = BuiltinValueKind::Boolean;
      described.boolean = value.boolean;
      break;
    case ValueType::Number:
      described.kind = BuiltinValueKind::Number;
      described.number = value.number;
      break;
    case ValueType::String:
      described.kind = BuiltinValueKind::String;
      string_at(thread, index, &described.text);
      break;
    default:
      described.kind = BuiltinValueKind::Other;
      described.type_name = type_name_at(thread, index);
      break;
  }
  return described;
}

using ConversionFunction = ConversionResult (*)(const BuiltinValue* args, int count);

// Runs tostr or tonum on the first two arguments and pushes what it gives
// (possibly nothing at all).
int convert(ThreadState* thread, ConversionFunction function) {
  int count = std::min(get_top(thread), 2);
  BuiltinValue arguments[2] = {describe_argument(thread, 1), describe_argument(thread, 2)};
  ConversionResult result = function(arguments, count);
  charge_cycles(result.cycles);
  switch (result.kind) {
    case ConversionResult::Kind::NoValue: return 0;
    case ConversionResult::Kind::Number: push_number(thread, result.number); return 1;
    case ConversionResult::Kind::Text: push_string(thread, result.text); return 1;
  }
  return 0;
}

int number_tostr(ThreadState* thread) { return convert(thread, builtin_tostr); }
int number_tonum(ThreadState* thread) { return convert(thread, builtin_tonum); }

}  // namespace

void open_number_library(ThreadState* thread) {
  for (const FastNumberEntry& entry : kFastNumberBuiltins) register_fast(thread, entry.name, entry.function);
  register_native(thread, "tostr", number_tostr);
  register_native(thread, "__tostr", number_tostr);
  register_native(thread, "tonum", number_tonum);
}

}  // namespace tamori::lang
