// add, del, deli, count, pack and unpack. They read and write the array
// elements raw, but take the length from the length operator ("__len"), so
// that a table can say how long it is. Moving n elements costs spend_cpu(n).
#include <string_view>

#include "lang/api.h"
#include "lang/cpu_counters.h"
#include "lang/fixed.h"
#include "lang/library.h"
#include "lang/library_support.h"

namespace tamori::lang {
namespace {

bool is_table_argument(ThreadState* thread, int index) { return type_at(thread, index) == ValueType::Table; }

// t[to] = t[from] for the table at index 1.
void move_element(ThreadState* thread, int32_t from, int32_t to) {
  raw_get_integer(thread, 1, from);
  raw_set_integer(thread, 1, to);
}

// Closes the gap at `position` of t[1..length]: the elements above move down
// one place and t[length] becomes nil.
void close_gap(ThreadState* thread, int32_t position, int32_t length) {
  for (int32_t i = position; i < length; i++) move_element(thread, i + 1, i);
  push_nil(thread);
  raw_set_integer(thread, 1, length);
}

// Whether t[i] (pushed on top) has the type of the value at index 2 and is
// equal to it.
bool element_matches(ThreadState* thread) {
  int element = get_top(thread);
  return type_at(thread, element) == type_at(thread, 2) && values_equal(thread, element, 2);
}

// add(t, v [, i]): appends v, or inserts it at position i.
int table_add(ThreadState* thread) {
  if (!is_table_argument(thread, 1) || get_top(thread) < 2) return 0;
  int32_t length = length_with_metamethod(thread, 1);
  set_top(thread, 3);
  if (type_at(thread, 3) == ValueType::Nil) {
    push_copy(thread, 2);
    raw_set_integer(thread, 1, length + 1);
    push_copy(thread, 2);
    return 1;
  }
  int32_t position = integer_at(thread, 3);
  if (position < 1 || position > length + 1) raise_argument_error(thread, 2, "add", "position out of bounds");
  for (int32_t i = length; i >= position; i--) move_element(thread, i, i + 1);
  push_copy(thread, 2);
  raw_set_integer(thread, 1, position);
  spend_cpu(length + 1 - position);
  push_copy(thread, 2);
  return 1;
}

// del(t, v): removes the first element equal to v and returns it.
int table_del(ThreadState* thread) {
  if (!is_table_argument(thread, 1) || get_top(thread) < 2) return 0;
  set_top(thread, 2);
  int32_t length = length_with_metamethod(thread, 1);
  spend_cpu(length);
  for (int32_t i = 1; i <= length; i++) {
    raw_get_integer(thread, 1, i);
    if (element_matches(thread)) {
      close_gap(thread, i, length);
      return 1;
    }
    set_top(thread, 2);
  }
  return 0;
}

// deli(t [, i]): removes and returns the element at i (the last one by
// default).
int table_deli(ThreadState* thread) {
  if (!is_table_argument(thread, 1)) return 0;
  int32_t length = length_with_metamethod(thread, 1);
  int32_t position = length;
  if (get_top(thread) >= 2) {
    int32_t raw = 0;
    if (!number_at(thread, 2, &raw)) return 0;
    position = fixed_to_int(raw);
  }
  if (position < 1 || position > length) return 0;
  set_top(thread, 1);
  raw_get_integer(thread, 1, position);
  spend_cpu(length - position);
  close_gap(thread, position, length);
  return 1;
}

// count(t [, v]): #t, or how many elements of t[1..#t] equal v.
int table_count(ThreadState* thread) {
  if (!is_table_argument(thread, 1)) return 0;
  int32_t length = length_with_metamethod(thread, 1);
  if (get_top(thread) < 2) {
    push_integer(thread, length);
    return 1;
  }
  set_top(thread, 2);
  spend_cpu(length);
  int32_t matches = 0;
  for (int32_t i = 1; i <= length; i++) {
    raw_get_integer(thread, 1, i);
    if (element_matches(thread)) matches++;
    set_top(thread, 2);
  }
  push_integer(thread, matches);
  return 1;
}

}  // namespace

// pack(...): a table of the arguments with their count in field "n".
int table_pack(ThreadState* thread) {
  int count = get_top(thread);
  push_new_table(thread, count, 1);
  int table = count + 1;
  for (int i = 1; i <= count; i++) {
    push_copy(thread, i);
    raw_set_integer(thread, table, i);
  }
  push_string(thread, "n");
  push_integer(thread, count);
  raw_set(thread, table);
  spend_cpu(2 * count);
  return 1;
}

namespace {

// The integer view of an optional position argument of unpack: nil or
// missing takes the default, anything else must be a number.
int32_t position_argument(ThreadState* thread, int index, int32_t default_position) {
  if (type_at(thread, index) == ValueType::Nil) return default_position;
  int32_t raw = 0;
  if (!number_at(thread, index, &raw)) raise_type_error(thread, index, "unpack", "number");
  return fixed_to_int(raw);
}

}  // namespace

// unpack(t [, i [, j]]): t[i], ..., t[j].
int table_unpack(ThreadState* thread) {
  if (!is_table_argument(thread, 1)) return 0;
  int32_t first = position_argument(thread, 2, 1);
  int32_t last = get_top(thread) >= 3 && type_at(thread, 3) != ValueType::Nil
                     ? position_argument(thread, 3, 0)
                     : length_with_metamethod(thread, 1);
  int64_t count = int64_t(last) - int64_t(first) + 1;
  spend_cpu(int32_t(count > 0x3fffffff ? 0x3fffffff : 2 * count));
  if (count <= 0) return 0;
  set_top(thread, 1);
  if (!can_grow_stack(thread, count)) raise_error(thread, "too many results to unpack");
  for (int64_t i = first; i <= last; i++) raw_get_integer(thread, 1, int32_t(i));
  return int(count);
}


void open_table_library(ThreadState* thread) {
  register_native(thread, "add", table_add);
  register_native(thread, "del", table_del);
  register_native(thread, "deli", table_deli);
  register_native(thread, "count", table_count);
  register_native(thread, "pack", table_pack);
  register_native(thread, "unpack", table_unpack);
}

}  // namespace tamori::lang
