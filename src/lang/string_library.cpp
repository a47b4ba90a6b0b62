// sub, chr, ord and split. A number given where a string is expected is
// first written as text; positions are 1-based and negative ones count from
// the end.
#include <string>
#include <string_view>

#include "lang/api.h"
#include "lang/cpu_counters.h"
#include "lang/library.h"
#include "lang/number_text.h"

namespace tamori::lang {
namespace {

// The text of a string or number argument; false for any other value.
bool text_argument(ThreadState* thread, int index, std::string_view* text) {
  ValueType type = type_at(thread, index);
  if (type != ValueType::String && type != ValueType::Number) return false;
  return string_at(thread, index, text);
}

// sub(s, i [, j]): the bytes i..j of s.
int string_sub(ThreadState* thread) {
  std::string_view text;
  if (!text_argument(thread, 1, &text)) return 0;
  int32_t length = int32_t(text.size());
  int32_t first = get_top(thread) < 2 ? 1 : integer_at(thread, 2);
  int32_t last = type_at(thread, 3) == ValueType::Number ? integer_at(thread, 3) : length;
  if (first < 0) first += length + 1;
  if (last < 0) last += length + 1;
  if (last < first || last < 1 || first > length) {
    push_string(thread, "");
    return 1;
  }
  if (first < 1) first = 1;
  if (last > length) last = length;
  int32_t count = last - first + 1;
  push_string(thread, text.substr(size_t(first - 1), size_t(count)));
  spend_cpu(count / 2);
  return 1;
}

// chr(...): one byte per argument, each the low 8 bits of its integer view.
int string_chr(ThreadState* thread) {
  int count = get_top(thread);
  std::string bytes(size_t(count), '\0');
  for (int i = 1; i <= count; i++) bytes[size_t(i - 1)] = char(uint32_t(integer_at(thread, i)) & 0xffu);
  push_string(thread, bytes);
  spend_cpu(count);
  return 1;
}

// ord(s [, i [, n]]): the bytes i..i+n-1 of s as numbers (nil outside s).
int string_ord(ThreadState* thread) {
  int arguments = get_top(thread);
  int32_t first = arguments < 2 ? 1 : integer_at(thread, 2);
  int32_t wanted = 1;
  if (arguments >= 3) {
    wanted = integer_at(thread, 3);
    if (wanted < 1) return 0;
  }
  std::string_view text;
  bool has_text = text_argument(thread, 1, &text);
  if (!can_grow_stack(thread, wanted)) raise_error(thread, "too many ord results");
  spend_cpu(wanted);
  int64_t length = int64_t(text.size());
  for (int64_t position = first; position < int64_t(first) + wanted; position++) {
    if (has_text && position >= 1 && position <= length) {
      push_integer(thread, int32_t(uint8_t(text[size_t(position - 1)])));
    } else {
      push_nil(thread);
    }
  }
  return wanted;
}

// Stores one piece of split's result at t[index], as a number when
// `convert` is set and the piece reads as one.
void store_piece(ThreadState* thread, int table, int32_t index, std::string_view piece, bool convert) {
  int32_t number = 0;
  if (convert && text_to_number(piece, &number)) {
    push_number(thread, number);
  } else {
    push_string(thread, piece);
  }
  raw_set_integer(thread, table, index);
}

void split_into_groups(ThreadState* thread, int table, std::string_view text, int32_t group_size,
                       bool convert) {
  int32_t index = 1;
  for (size_t start = 0; start < text.size(); start += size_t(group_size)) {
    store_piece(thread, table, index++, text.substr(start, size_t(group_size)), convert);
  }
}

void split_into_bytes(ThreadState* thread, int table, std::string_view text, bool convert) {
  for (size_t i = 0; i < text.size(); i++) {
    char byte = text[i];
    if (convert && byte >= '0' && byte <= '9') {
      push_integer(thread, byte - '0');
    } else {
      push_string(thread, text.substr(i, 1));
    }
    raw_set_integer(thread, table, int32_t(i + 1));
  }
}

void split_at_separator(ThreadState* thread, int table, std::string_view text, char separator, bool convert) {
  int32_t index = 1;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) break;
    store_piece(thread, table, index++, text.substr(start, end - start), convert);
    start = end + 1;
  }
  store_piece(thread, table, index, text.substr(start), convert);
}

// The separator byte of split: the first byte of a string separator
// shorter than 257 bytes, else a comma.
char separator_byte(ThreadState* thread) {
  if (type_at(thread, 2) != ValueType::String) return ',';
  std::string_view separator;
  string_at(thread, 2, &separator);
  if (separator.empty() || separator.size() >= 257) return ',';
  return separator[0];
}

// split(s [, separator [, convert]]): the pieces of s in a new table.
int string_split(ThreadState* thread) {
  std::string_view text;
  if (!text_argument(thread, 1, &text)) return 0;
  bool convert = get_top(thread) < 3 || truth_at(thread, 3);
  set_top(thread, 3);
  push_new_table(thread);
  int table = get_top(thread);
  spend_cpu(int32_t(text.size() > 0x3fffffff ? 0x3fffffff : text.size()));
  std::string_view separator;
  if (type_at(thread, 2) == ValueType::Number) {
    int32_t group_size = integer_at(thread, 2);
    int32_t length = int32_t(text.size());
    if (group_size > length) group_size = length;
    if (group_size < 1) group_size = 1;
    split_into_groups(thread, table, text, group_size, convert);
  } else if (type_at(thread, 2) == ValueType::String && string_at(thread, 2, &separator) && separator.empty()) {
    split_into_bytes(thread, table, text, convert);
  } else {
    split_at_separator(thread, table, text, separator_byte(thread), convert);
  }
  return 1;
}

}  // namespace

void open_string_library(ThreadState* thread) {
  register_native(thread, "sub", string_sub);
  register_native(thread, "chr", string_chr);
  register_native(thread, "ord", string_ord);
  register_native(thread, "split", string_split);
}

}  // namespace tamori::lang
