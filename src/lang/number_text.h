// Conversions between numbers and text, used by the lexer for numerals, by
// string coercion, by concatenation, tostr/tonum and print.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamori::lang {

// The text-to-number rule: decimal, 0x hexadecimal and 0b binary with
// optional fractions, wrapping of large values, surrounding spaces. Returns
// false when the whole text is not a number.
bool text_to_number(std::string_view text, int32_t* raw);

// The number-to-text rule used by tostring, concatenation and print.
std::string number_to_text(int32_t raw);

}  // namespace tamori::lang
