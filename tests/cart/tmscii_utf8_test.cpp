#include "cart/tmscii_utf8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tamori::cart {
namespace {

struct GlyphCase {
  int code;
  const char* utf8;
};

// One or more codes from every block of the character table.
const GlyphCase kGlyphCases[] = {
    {0, "⁰"},    {1, "¹"},    {8, "⁸"},   {9, "\t"},  {10, "\n"}, {11, "ᵇ"},  {12, "ᶜ"},
    {13, "\r"},  {14, "ᵉ"},   {15, "ᶠ"},  {16, "▮"},  {23, "▶"},  {26, "¥"},  {31, "゜"},
    {32, " "},   {65, "A"},   {90, "Z"},  {97, "a"},  {126, "~"}, {127, "○"}, {128, "█"},
    {130, "🐱"}, {131, "⬇️"}, {137, "웃"}, {139, "⬅️"}, {142, "🅾️"}, {145, "➡️"}, {148, "⬆️"},
    {151, "❎"}, {153, "▥"},  {154, "あ"}, {203, "ょ"}, {204, "ア"}, {253, "ョ"}, {254, "◜"},
    {255, "◝"},
};

TEST(TmsciiUtf8, EachCodeHasItsTableText) {
  for (const GlyphCase& glyph : kGlyphCases) {
    EXPECT_EQ(tmscii_code_as_utf8(uint8_t(glyph.code)), glyph.utf8) << "code " << glyph.code;
    EXPECT_EQ(utf8_to_tmscii(glyph.utf8), std::string(1, char(glyph.code))) << "code " << glyph.code;
  }
}

TEST(TmsciiUtf8, EveryCodeRoundTrips) {
  std::string all_codes;
  for (int code = 0; code < 256; ++code) all_codes += char(code);
  EXPECT_EQ(utf8_to_tmscii(tmscii_to_utf8(all_codes)), all_codes);
  EXPECT_EQ(utf8_to_tmscii(tmscii_to_utf8(all_codes, UppercaseForm::kItalic)), all_codes);
}

TEST(TmsciiUtf8, ItalicUppercaseIsWrittenOnRequestAndAlwaysReadBack) {
  EXPECT_EQ(tmscii_to_utf8("HIya"), "HIya");
  EXPECT_EQ(tmscii_to_utf8("HIya", UppercaseForm::kItalic), "𝘩𝘪ya");
  EXPECT_EQ(utf8_to_tmscii("𝘢𝘻"), "AZ");
}

TEST(TmsciiUtf8, VariationSelectorIsConsumedOnlyAfterTheGlyphsThatCarryIt) {
  // Bare arrows still read as their codes.
  EXPECT_EQ(utf8_to_tmscii("\xe2\xac\x87"), "\x83");
  EXPECT_EQ(utf8_to_tmscii("⬇️x"), "\x83x");
  // After a glyph without the selector it is unknown text and stays as bytes.
  EXPECT_EQ(utf8_to_tmscii("█\xef\xb8\x8f"), "\x80\xef\xb8\x8f");
}

struct RawCase {
  std::string input;
  std::string expected;
};

TEST(TmsciiUtf8, MalformedAndUnlistedTextKeepsItsBytes) {
  const RawCase cases[] = {
      {"\x8b\x91:move", "\x8b\x91:move"},        // raw tmscii bytes from old files
      {"\xe2\x96", "\xe2\x96"},                  // truncated three-byte sequence
      {"\xe2\x96\x88\xe2", "\x80\xe2"},          // a glyph, then a cut lead byte
      {"\xc0\xaf", "\xc0\xaf"},                  // overlong form
      {"\xed\xa0\x80", "\xed\xa0\x80"},          // surrogate
      {"\xf4\x90\x80\x80", "\xf4\x90\x80\x80"},  // above U+10FFFF
      {"é", "é"},                                // well-formed but not in the table
      {"\xff\xfe", "\xff\xfe"},
  };
  for (const RawCase& raw : cases) EXPECT_EQ(utf8_to_tmscii(raw.input), raw.expected);
}

TEST(TmsciiUtf8, RandomBytesNeverGrowAndNeverFault) {
  std::mt19937 random(1234);
  for (int trial = 0; trial < 2000; ++trial) {
    std::string bytes(random() % 24, '\0');
    for (char& byte : bytes) byte = char(0x80 | (random() & 0x7f));
    if (trial % 3 == 0 && !bytes.empty()) bytes.back() = char(0xf0);
    std::string decoded = utf8_to_tmscii(bytes);
    EXPECT_LE(decoded.size(), bytes.size());
  }
}

}  // namespace
}  // namespace tamori::cart
