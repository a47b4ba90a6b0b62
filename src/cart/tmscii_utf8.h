// The fixed two-way mapping between tmscii, the console's 8-bit character
// set, and UTF-8 text. Used wherever text enters or leaves the console:
// cartridge text files, the clipboard and printh output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tamori::cart {

// How codes 65..90 leave the console. Cartridge files, printh and the
// clipboard keep them as ASCII letters; the italic form writes them as
// mathematical sans-serif italic small letters (U+1D622..U+1D63B).
enum class UppercaseForm { kAscii, kItalic };

// The UTF-8 text of one tmscii code (the code's own byte for the codes that
// stand for themselves).
std::string_view tmscii_code_as_utf8(uint8_t code, UppercaseForm uppercase = UppercaseForm::kAscii);

std::string tmscii_to_utf8(std::string_view tmscii, UppercaseForm uppercase = UppercaseForm::kAscii);

// Listed characters become their codes (a trailing U+FE0F after the glyphs
// that carry one is consumed with them; the italic letters always read back
// as 65..90). Every other byte, including malformed UTF-8, is kept as it is.
std::string utf8_to_tmscii(std::string_view utf8);

}  // namespace tamori::cart
