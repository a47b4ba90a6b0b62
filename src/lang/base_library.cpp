// The base functions that remain from the reference design: type,
// tostring, select, next, inext, pairs and ipairs (under the prelude's
// private names), metatables, raw access and assert.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "lang/api.h"
#include "lang/fixed.h"
#include "lang/library.h"
#include "lang/library_support.h"
#include "lang/number_text.h"
#include "lang/state.h"
#include "lang/table.h"

namespace tamori::lang {
namespace {

// type(v): the type name; nothing at all for a call without arguments.
int base_type(ThreadState* thread) {
  if (get_top(thread) < 1) return 0;
  push_string(thread, type_name_at(thread, 1));
  return 1;
}

// The text of a value without metamethods: "type: address" for objects.
std::string plain_text(ThreadState* thread, int index) {
  Value value = value_at(thread, index);
  switch (value.type) {
    case ValueType::Nil: return "nil";
    case ValueType::Boolean: return value.boolean ? "true" : "false";
    case ValueType::Number: return number_to_text(value.number);
    case ValueType::String: {
      std::string_view text;
      string_at(thread, index, &text);
      return std::string(text);
    }
    default: break;
  }
  uintptr_t address = reinterpret_cast<uintptr_t>(value.object);
  if (value.type == ValueType::LightNative) address = reinterpret_cast<uintptr_t>(value.native);
  if (value.type == ValueType::FastFunction) address = reinterpret_cast<uintptr_t>(value.fast);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s: 0x%08llx", type_name(value), static_cast<unsigned long long>(address));
  return buffer;
}

// tostring(v): the "__tostring" metamethod's text, or the plain text.
int base_tostring(ThreadState* thread) {
  require_value(thread, 1, "tostring");
  set_top(thread, 1);
  if (push_metafield(thread, 1, "__tostring")) {
    push_copy(thread, 1);
    call(thread, 1, 1);
    std::string_view text;
    ValueType type = type_at(thread, -1);
    if ((type != ValueType::String && type != ValueType::Number) || !string_at(thread, -1, &text)) {
      raise_error(thread, "'__tostring' must return a string");
    }
    return 1;
  }
  push_string(thread, plain_text(thread, 1));
  return 1;
}

// select('#', ...) gives the count; select(n, ...) the values from the n-th
// on, with a negative n counting from the end.
int base_select(ThreadState* thread) {
  int top = get_top(thread);
  std::string_view text;
  if (type_at(thread, 1) == ValueType::String && string_at(thread, 1, &text) && !text.empty() && text[0] == '#') {
    push_integer(thread, top - 1);
    return 1;
  }
  int32_t raw = 0;
  if (!number_at(thread, 1, &raw)) raise_type_error(thread, 1, "select", "number");
  int32_t position = fixed_to_int(raw);
  if (position < 0) {
    position += top;
  } else if (position > top) {
    position = top;
  }
  if (position < 1) raise_argument_error(thread, 1, "select", "index out of range");
  return top - position;
}

// next(t [, k]): the entry after key k, or nil at the end.
int base_next(ThreadState* thread) {
  require_table(thread, 1, "next");
  set_top(thread, 2);
  if (next_entry(thread, 1)) return 2;
  push_nil(thread);
  return 1;
}

// inext(t, i): the iterator of ipairs: i + 1 and t[i + 1] (read raw), or
// nil when that is nil or t is not a table.
int base_inext(ThreadState* thread) {
  // The usual call, ipairs' own (a table and a number), read in place.
  const int base = thread->frames.back().base;
  if (thread->top - base >= 2 && is_table(thread->stack[base]) && is_number(thread->stack[base + 1])) {
    const int32_t position = fixed_to_int(thread->stack[base + 1].number) + 1;
    const Value found = table_get_integer(as_table(thread->stack[base]), position);
    push_integer(thread, position);
    push_value(thread, found);
    return is_nil(found) ? 1 : 2;
  }
  if (type_at(thread, 1) != ValueType::Table) {
    push_nil(thread);
    return 1;
  }
  int32_t position = integer_at(thread, 2) + 1;
  push_integer(thread, position);
  raw_get_integer(thread, 1, position);
  if (type_at(thread, -1) == ValueType::Nil) return 1;
  return 2;
}

int empty_iterator(ThreadState* thread) {
  push_nil(thread);
  return 1;
}

// Calls the metamethod on top with the iterated value and returns its first
// three results.
int iteration_from_metamethod(ThreadState* thread) {
  push_copy(thread, 1);
  call(thread, 1, 3);
  return 3;
}

// pairs(t): next, t, nil; "__pairs" chooses its own iteration; a nil
// argument iterates over nothing.
int base_pairs(ThreadState* thread) {
  set_top(thread, 1);
  if (type_at(thread, 1) == ValueType::Nil) {
    push_native(thread, empty_iterator);
    return 1;
  }
  if (push_metafield(thread, 1, "__pairs")) return iteration_from_metamethod(thread);
  require_table(thread, 1, "pairs");
  push_native(thread, base_next);
  push_copy(thread, 1);
  push_nil(thread);
  return 3;
}

// ipairs(t): inext, t, 0; "__ipairs" chooses its own iteration.
int base_ipairs(ThreadState* thread) {
  set_top(thread, 1);
  if (push_metafield(thread, 1, "__ipairs")) return iteration_from_metamethod(thread);
  push_native(thread, base_inext);
  push_copy(thread, 1);
  push_integer(thread, 0);
  return 3;
}

// setmetatable(t, mt): returns t; a metatable with a "__metatable" field is
// protected from change.
int base_setmetatable(ThreadState* thread) {
  require_table(thread, 1, "setmetatable");
  ValueType type = type_at(thread, 2);
  if (type != ValueType::Nil && type != ValueType::Table) {
    raise_argument_error(thread, 2, "setmetatable", "nil or table expected");
  }
  if (push_metafield(thread, 1, "__metatable")) raise_error(thread, "cannot change a protected metatable");
  set_top(thread, 2);
  set_metatable(thread, 1);
  return 1;
}

// getmetatable(v): the "__metatable" field when there is one, else the
// metatable itself, else nil.
int base_getmetatable(ThreadState* thread) {
  require_value(thread, 1, "getmetatable");
  if (push_metafield(thread, 1, "__metatable")) return 1;
  if (!get_metatable(thread, 1)) push_nil(thread);
  return 1;
}

int base_rawequal(ThreadState* thread) {
  require_value(thread, 1, "rawequal");
  require_value(thread, 2, "rawequal");
  push_boolean(thread, raw_equal(value_at(thread, 1), value_at(thread, 2)));
  return 1;
}

int base_rawlen(ThreadState* thread) {
  ValueType type = type_at(thread, 1);
  if (type != ValueType::Table && type != ValueType::String) {
    raise_argument_error(thread, 1, "rawlen", "table or string expected");
  }
  push_integer(thread, raw_length(thread, 1));
  return 1;
}

int base_rawget(ThreadState* thread) {
  require_table(thread, 1, "rawget");
  require_value(thread, 2, "rawget");
  set_top(thread, 2);
  raw_get(thread, 1);
  return 1;
}

int base_rawset(ThreadState* thread) {
  require_table(thread, 1, "rawset");
  require_value(thread, 2, "rawset");
  require_value(thread, 3, "rawset");
  set_top(thread, 3);
  raw_set(thread, 1);
  return 1;
}

FailedAssertion failed_assertion;

// assert(v [, message, ...]): all its arguments when v is true, else the
// error message (a string or number) or "assertion failed!", after the
// calling line's position like every error a library function raises.
int base_assert(ThreadState* thread) {
  require_value(thread, 1, "assert");
  if (truth_at(thread, 1)) return get_top(thread);
  ValueType type = type_at(thread, 2);
  const std::string position = where(thread, 1);
  const std::string separator = position.empty() ? "" : " ";
  if (type == ValueType::Nil) raise_error(thread, position + separator + "assertion failed!");
  std::string_view message;
  if ((type != ValueType::String && type != ValueType::Number) || !string_at(thread, 2, &message)) {
    raise_type_error(thread, 2, "assert", "string");
  }
  failed_assertion.message = std::string(message);
  failed_assertion.error_text = position + separator + failed_assertion.message;
  raise_error(thread, failed_assertion.error_text);
}

}  // namespace

FailedAssertion& last_failed_assertion() { return failed_assertion; }

void open_base_library(ThreadState* thread) {
  register_native(thread, "type", base_type);
  register_native(thread, "__type", base_type);
  register_native(thread, "tostring", base_tostring);
  register_native(thread, "__tostring__", base_tostring);
  register_native(thread, "select", base_select);
  register_native(thread, "__select", base_select);
  register_native(thread, "next", base_next);
  register_native(thread, "inext", base_inext);
  register_native(thread, "__pairs__", base_pairs);
  register_native(thread, "__ipairs__", base_ipairs);
  register_native(thread, "setmetatable", base_setmetatable);
  register_native(thread, "getmetatable", base_getmetatable);
  register_native(thread, "rawequal", base_rawequal);
  register_native(thread, "rawlen", base_rawlen);
  register_native(thread, "rawget", base_rawget);
  register_native(thread, "rawset", base_rawset);
  register_native(thread, "assert", base_assert);
}

}  // namespace tamori::lang
