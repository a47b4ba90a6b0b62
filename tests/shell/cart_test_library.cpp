#include "cart_test_library.h"

#include <string>

#include "lang/api.h"
#include "lang/number_text.h"

namespace tamori::shell::testing {
namespace {

using namespace tamori::lang;

int select_function(ThreadState* thread) {
  int count = get_top(thread) - 1;
  std::string_view text;
  if (type_at(thread, 1) == ValueType::String && string_at(thread, 1, &text) && text == "#") {
    push_integer(thread, count);
    return 1;
  }
  int n = integer_at(thread, 1);
  if (n < 0) n = count + n + 1;
  if (n < 1) raise_error(thread, "bad argument #1 to 'select' (index out of range)");
  return n > count ? 0 : count - n + 1;
}

int type_function(ThreadState* thread) {
  if (get_top(thread) < 1) return 0;
  push_string(thread, type_name_at(thread, 1));
  return 1;
}

int tostr_function(ThreadState* thread) {
  switch (type_at(thread, 1)) {
    case ValueType::Number: push_string(thread, number_to_text(raw_number_at(thread, 1))); break;
    case ValueType::String: push_copy(thread, 1); break;
    case ValueType::Boolean: push_string(thread, truth_at(thread, 1) ? "true" : "false"); break;
    default: push_string(thread, std::string("[") + type_name_at(thread, 1) + "]"); break;
  }
  return 1;
}

int getmetatable_function(ThreadState* thread) {
  if (!get_metatable(thread, 1)) push_nil(thread);
  return 1;
}

int pack_function(ThreadState* thread) {
  int count = get_top(thread);
  push_new_table(thread, count);
  for (int i = 1; i <= count; i++) {
    push_copy(thread, i);
    raw_set_integer(thread, count + 1, i);
  }
  push_integer(thread, count);
  set_field(thread, count + 1, "n");
  return 1;
}

int unpack_function(ThreadState* thread) {
  int32_t first = type_at(thread, 2) == ValueType::Nil ? 1 : integer_at(thread, 2);
  int32_t last = type_at(thread, 3) == ValueType::Nil ? raw_length(thread, 1) : integer_at(thread, 3);
  for (int32_t i = first; i <= last; i++) raw_get_integer(thread, 1, i);
  return last < first ? 0 : last - first + 1;
}

int next_function(ThreadState* thread) {
  set_top(thread, 2);
  if (next_entry(thread, 1)) return 2;
  push_nil(thread);
  return 1;
}

int pairs_function(ThreadState* thread) {
  push_native(thread, next_function);
  push_copy(thread, 1);
  push_nil(thread);
  return 3;
}

int inext_function(ThreadState* thread) {
  int32_t i = integer_at(thread, 2) + 1;
  push_integer(thread, i);
  raw_get_integer(thread, 1, i);
  if (type_at(thread, -1) == ValueType::Nil) return 1;
  return 2;
}

int ipairs_function(ThreadState* thread) {
  push_native(thread, inext_function);
  push_copy(thread, 1);
  push_integer(thread, 0);
  return 3;
}

int assert_function(ThreadState* thread) {
  if (truth_at(thread, 1)) return get_top(thread);
  if (get_top(thread) >= 2) {
    set_top(thread, 2);
    raise_error_value(thread);
  }
  raise_error(thread, "assertion failed!");
}

// add(t, v, i) with the position check, raised as an argument error with
// the caller's position.
int add_function(ThreadState* thread) {
  if (type_at(thread, 1) != ValueType::Table || get_top(thread) < 2) return 0;
  int32_t n = raw_length(thread, 1);
  int32_t i = type_at(thread, 3) == ValueType::Nil ? n + 1 : integer_at(thread, 3);
  if (i < 1 || i > n + 1) raise_error(thread, where(thread, 1) + " bad argument #2 to 'add' (position out of bounds)");
  for (int32_t k = n; k >= i; k--) {
    raw_get_integer(thread, 1, k);
    raw_set_integer(thread, 1, k + 1);
  }
  push_copy(thread, 2);
  raw_set_integer(thread, 1, i);
  push_copy(thread, 2);
  return 1;
}

int error_function(ThreadState* thread) {
  std::string_view text;
  if (type_at(thread, 1) == ValueType::String && string_at(thread, 1, &text))
    raise_error(thread, where(thread, 1) + " " + std::string(text));
  set_top(thread, 1);
  raise_error_value(thread);
}

}  // namespace

void register_cart_test_library(ThreadState* state) {
  register_native(state, "select", select_function);
  register_native(state, "__select", select_function);
  register_native(state, "type", type_function);
  register_native(state, "__type", type_function);
  register_native(state, "tostr", tostr_function);
  register_native(state, "__tostr", tostr_function);
  register_native(state, "__tostring__", tostr_function);
  register_native(state, "getmetatable", getmetatable_function);
  register_native(state, "pack", pack_function);
  register_native(state, "unpack", unpack_function);
  register_native(state, "__pairs__", pairs_function);
  register_native(state, "__ipairs__", ipairs_function);
  register_native(state, "assert", assert_function);
  register_native(state, "add", add_function);
  register_native(state, "error", error_function);
}

}  // namespace tamori::shell::testing
