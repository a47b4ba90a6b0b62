#include "lang/library_support.h"

#include <string>

#include "lang/api.h"
#include "lang/fixed.h"

namespace tamori::lang {

void raise_argument_error(ThreadState* thread, int argument, std::string_view function_name,
                          std::string_view problem) {
  std::string message = "bad argument #" + std::to_string(argument) + " to '";
  message.append(function_name).append("' (").append(problem).append(")");
  // Like any error a library function raises, it names the calling line.
  std::string position = where(thread, 1);
  raise_error(thread, position.empty() ? message : position + " " + message);
}

void raise_type_error(ThreadState* thread, int argument, std::string_view function_name,
                      std::string_view expected) {
  std::string problem(expected);
  problem += " expected, got ";
  problem += argument > get_top(thread) ? "no value" : type_name_at(thread, argument);
  raise_argument_error(thread, argument, function_name, problem);
}

void require_value(ThreadState* thread, int argument, std::string_view function_name) {
  if (argument > get_top(thread)) raise_argument_error(thread, argument, function_name, "value expected");
}

void require_table(ThreadState* thread, int argument, std::string_view function_name) {
  if (type_at(thread, argument) != ValueType::Table) raise_type_error(thread, argument, function_name, "table");
}

bool push_metafield(ThreadState* thread, int index, std::string_view name) {
  if (!get_metatable(thread, index)) return false;
  push_string(thread, name);
  raw_get(thread, -2);
  insert(thread, -2);  // the field below the metatable, then drop the metatable
  set_top(thread, -2);
  if (type_at(thread, -1) != ValueType::Nil) return true;
  set_top(thread, -2);
  return false;
}

int32_t length_with_metamethod(ThreadState* thread, int index) {
  if (!push_metafield(thread, index, "__len")) return raw_length(thread, index);
  push_copy(thread, index);
  call(thread, 1, 1);
  int32_t raw = 0;
  if (!number_at(thread, -1, &raw)) raise_error(thread, "object length is not a number");
  set_top(thread, -2);
  return fixed_to_int(raw);
}

bool values_equal(ThreadState* thread, int first, int second) {
  Value a = value_at(thread, first);
  Value b = value_at(thread, second);
  if (raw_equal(a, b)) return true;
  if (!is_table(a) || !is_table(b)) return false;
  // Both tables must share the same "__eq" handler.
  if (!push_metafield(thread, first, "__eq")) return false;
  if (!push_metafield(thread, second, "__eq")) {
    set_top(thread, -2);
    return false;
  }
  bool same_handler = raw_equal(value_at(thread, -1), value_at(thread, -2));
  set_top(thread, -2);
  if (!same_handler) {
    set_top(thread, -2);
    return false;
  }
  push_copy(thread, first);
  push_copy(thread, second);
  call(thread, 2, 1);
  bool equal = truth_at(thread, -1);
  set_top(thread, -2);
  return equal;
}

}  // namespace tamori::lang
