// Reading numbers from text and writing them back. Hexadecimal and binary
// text give raw bit patterns; decimal text goes through a correctly rounding
// reader to a double and is then truncated to 1/65536 steps.
#include "lang/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tamori::lang {
namespace {

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool contains_either(std::string_view text, char lower, char upper) {
  return text.find(lower) != std::string_view::npos || text.find(upper) != std::string_view::npos;
}

int digit_value(char c, int base) {
  int value = 99;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// Position of the first byte after trailing white space starting at `pos`.
size_t skip_spaces(std::string_view text, size_t pos) {
  while (pos < text.size() && is_space(text[pos])) ++pos;
  return pos;
}

// Reads [sign] 0x/0b digits [. digits] in the given base (16 or 2). The
// integer digits keep their low 16 bits; the fraction keeps the first
// 16 bits' worth of digits, placed at the top of the fraction.
bool read_radix(std::string_view text, char prefix_lower, int base, int32_t* raw) {
  const int bits_per_digit = base == 16 ? 4 : 1;
  size_t pos = skip_spaces(text, 0);
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos + 1 >= text.size() || text[pos] != '0' ||
      (text[pos + 1] != prefix_lower && text[pos + 1] != prefix_lower - 'a' + 'A')) {
    return false;
  }
  pos += 2;
  uint32_t whole = 0;
  int digit_count = 0;
  for (int digit; pos < text.size() && (digit = digit_value(text[pos], base)) >= 0; ++pos) {
    whole = whole * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
    ++digit_count;
  }
  uint32_t fraction = 0;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    int fraction_bits = 0;
    for (int digit; pos < text.size() && (digit = digit_value(text[pos], base)) >= 0; ++pos) {
      if (fraction_bits < 16) {
        fraction_bits += bits_per_digit;
        fraction |= static_cast<uint32_t>(digit) << (16 - fraction_bits);
      }
      ++digit_count;
    }
  }
  if (digit_count == 0) return false;
  if (pos < text.size() && (text[pos] == 'p' || text[pos] == 'P')) return false;
  if (skip_spaces(text, pos) != text.size()) return false;
  uint32_t bits = (whole << 16) + fraction;
  if (negative) bits = 0u - bits;
  *raw = static_cast<int32_t>(bits);
  return true;
}

// Decimal text: [sign] digits [. digits] [e [sign] digits], read to the
// nearest double. The value times 65536 is truncated toward zero and wraps
// modulo 2^32 (values too large for any integer type wrap the same way).
bool read_decimal(std::string_view text, int32_t* raw) {
  size_t pos = skip_spaces(text, 0);
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  // The standard reader also accepts "inf", "nan" and a sign of its own;
  // only a digit or a '.' may start the digits here.
  if (pos >= text.size() || !(text[pos] == '.' || (text[pos] >= '0' && text[pos] <= '9'))) return false;
  double value = 0.0;
  const char* begin = text.data() + pos;
  const char* end = text.data() + text.size();
  const std::from_chars_result read = std::from_chars(begin, end, value, std::chars_format::general);
  if (read.ptr == begin) return false;
  if (read.ec == std::errc::result_out_of_range) {
    // Overflow gives a huge value (a multiple of 2^32 at 1/65536 steps),
    // underflow a tiny one: both read as 0.
    value = 0.0;
  }
  if (skip_spaces(text, static_cast<size_t>(read.ptr - text.data())) != text.size()) return false;
  if (negative) value = -value;
  const double steps = std::trunc(value * 65536.0);
  const double wrapped = std::fmod(steps, 4294967296.0);
  const int64_t whole = std::isfinite(wrapped) ? static_cast<int64_t>(wrapped) : 0;
  *raw = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(whole)));
  return true;
}

}  // namespace

bool text_to_number(std::string_view text, int32_t* raw) {
  if (contains_either(text, 'n', 'N')) return false;
  if (contains_either(text, 'x', 'X')) return read_radix(text, 'x', 16, raw);
  if (contains_either(text, 'b', 'B')) return read_radix(text, 'b', 2, raw);
  return read_decimal(text, raw);
}

std::string number_to_text(int32_t raw) {
  // Whole numbers are by far the most common and print as plain integers.
  if ((raw & 0xffff) == 0) return std::to_string(raw >> 16);
  const double value = raw / 65536.0;
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%0.5f", value);
  const bool near_whole = std::strstr(buffer, ".9999") != nullptr || std::strstr(buffer, ".0000") != nullptr;
  std::snprintf(buffer, sizeof buffer, near_whole ? "%0.3f" : "%0.4f", value);
  std::string text = buffer;
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

}  // namespace tamori::lang
