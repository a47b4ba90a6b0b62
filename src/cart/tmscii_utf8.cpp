#include "cart/tmscii_utf8.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tamori::cart {
namespace {

// The 70 multi-byte glyph strings: codes 128..153, then 16..31, then 254 and
// 255, then the italic letters that stand for 65..90.
constexpr std::array<const char*, 70> unicode_glyph = {
    "█", "▒", "🐱", "⬇️", "░", "✽", "●", "♥", "☉", "웃", "⌂", "⬅️", "😐", "♪", "🅾️", "◆",
    "…", "➡️", "★", "⧗", "⬆️", "ˇ", "∧", "❎", "▤", "▥",
    "▮", "■", "□", "⁙", "⁘", "‖", "◀", "▶", "「", "」", "¥", "•", "、", "。", "゛", "゜",
    "◜", "◝",
    "𝘢", "𝘣", "𝘤", "𝘥", "𝘦", "𝘧", "𝘨", "𝘩", "𝘪", "𝘫", "𝘬", "𝘭", "𝘮",
    "𝘯", "𝘰", "𝘱", "𝘲", "𝘳", "𝘴", "𝘵", "𝘶", "𝘷", "𝘸", "𝘹", "𝘺", "𝘻",
};
constexpr int kGlyphWideStart = 0;       // codes 128..153
constexpr int kGlyphNarrowStart = 26;    // codes 16..31
constexpr int kGlyphCornerStart = 42;    // codes 254, 255
constexpr int kGlyphItalicStart = 44;    // codes 65..90

// The second table: control-code superscripts, code 127 and the kana.
constexpr std::array<const char*, 16> superscript_glyph = {
    "⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "\t", "\n", "ᵇ", "ᶜ", "\r", "ᵉ", "ᶠ",
};
constexpr const char* kCode127Glyph = "○";
constexpr std::array<const char*, 100> kana_glyph = {
    "あ", "い", "う", "え", "お", "か", "き", "く", "け", "こ", "さ", "し", "す", "せ", "そ",
    "た", "ち", "つ", "て", "と", "な", "に", "ぬ", "ね", "の", "は", "ひ", "ふ", "へ", "ほ",
    "ま", "み", "む", "め", "も", "や", "ゆ", "よ", "ら", "り", "る", "れ", "ろ", "わ", "を",
    "ん", "っ", "ゃ", "ゅ", "ょ",
    "ア", "イ", "ウ", "エ", "オ", "カ", "キ", "ク", "ケ", "コ", "サ", "シ", "ス", "セ", "ソ",
    "タ", "チ", "ツ", "テ", "ト", "ナ", "ニ", "ヌ", "ネ", "ノ", "ハ", "ヒ", "フ", "ヘ", "ホ",
    "マ", "ミ", "ム", "メ", "モ", "ヤ", "ユ", "ヨ", "ラ", "リ", "ル", "レ", "ロ", "ワ", "ヲ",
    "ン", "ッ", "ャ", "ュ", "ョ",
};
constexpr int kKanaFirstCode = 154;

constexpr uint32_t kVariationSelector16 = 0xfe0f;

struct DecodedCodePoint {
  uint32_t value;
  size_t length;  // 0 when the bytes are not well-formed UTF-8
};

// Strict UTF-8 decoding of one code point; never reads past the end.
DecodedCodePoint decode_code_point(std::string_view text, size_t position) {
  const size_t remaining = text.size() - position;
  const uint8_t lead = uint8_t(text[position]);
  size_t length;
  uint32_t value;
  uint32_t smallest;
  if (lead < 0x80) return {lead, 1};
  if ((lead & 0xe0) == 0xc0) {
    length = 2, value = lead & 0x1f, smallest = 0x80;
  } else if ((lead & 0xf0) == 0xe0) {
    length = 3, value = lead & 0x0f, smallest = 0x800;
  } else if ((lead & 0xf8) == 0xf0) {
    length = 4, value = lead & 0x07, smallest = 0x10000;
  } else {
    return {0, 0};
  }
  if (remaining < length) return {0, 0};
  for (size_t i = 1; i < length; ++i) {
    const uint8_t continuation = uint8_t(text[position + i]);
    if ((continuation & 0xc0) != 0x80) return {0, 0};
    value = (value << 6) | (continuation & 0x3f);
  }
  if (value < smallest || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff)) return {0, 0};
  return {value, length};
}

struct CodePointEntry {
  uint32_t code_point;
  uint8_t code;
  bool carries_selector;  // the listed string ends in U+FE0F
};

// Every listed glyph by its first code point (the U+FE0F that follows some is
// handled by the reader), sorted for binary search.
std::vector<CodePointEntry> build_reverse_table() {
  std::vector<CodePointEntry> entries;
  auto add = [&](const char* glyph, int code) {
    std::string_view text(glyph);
    DecodedCodePoint decoded = decode_code_point(text, 0);
    if (decoded.value < 0x80) return;
    bool carries_selector = text.size() > decoded.length &&
                            decode_code_point(text, decoded.length).value == kVariationSelector16;
    entries.push_back({decoded.value, uint8_t(code), carries_selector});
  };
  for (int i = 0; i < 26; ++i) add(unicode_glyph[kGlyphWideStart + i], 128 + i);
  for (int i = 0; i < 16; ++i) add(unicode_glyph[kGlyphNarrowStart + i], 16 + i);
  for (int i = 0; i < 2; ++i) add(unicode_glyph[kGlyphCornerStart + i], 254 + i);
  for (int i = 0; i < 26; ++i) add(unicode_glyph[kGlyphItalicStart + i], 65 + i);
  for (int i = 0; i < 16; ++i) add(superscript_glyph[i], i);
  add(kCode127Glyph, 127);
  for (int i = 0; i < 100; ++i) add(kana_glyph[i], kKanaFirstCode + i);
  std::sort(entries.begin(), entries.end(),
            [](const CodePointEntry& a, const CodePointEntry& b) { return a.code_point < b.code_point; });
  return entries;
}

const std::vector<CodePointEntry>& reverse_table() {
  static const std::vector<CodePointEntry> table = build_reverse_table();
  return table;
}

// The single-byte strings for the codes that stand for themselves.
const std::array<char, 256>& identity_bytes() {
  static const std::array<char, 256> bytes = [] {
    std::array<char, 256> result{};
    for (int i = 0; i < 256; ++i) result[i] = char(i);
    return result;
  }();
  return bytes;
}

}  // namespace

std::string_view tmscii_code_as_utf8(uint8_t code, UppercaseForm uppercase) {
  if (code < 16) return superscript_glyph[code];
  if (code < 32) return unicode_glyph[kGlyphNarrowStart + code - 16];
  if (code >= 65 && code <= 90 && uppercase == UppercaseForm::kItalic) {
    return unicode_glyph[kGlyphItalicStart + code - 65];
  }
  if (code < 127) return std::string_view(&identity_bytes()[code], 1);
  if (code == 127) return kCode127Glyph;
  if (code < kKanaFirstCode) return unicode_glyph[kGlyphWideStart + code - 128];
  if (code < 254) return kana_glyph[code - kKanaFirstCode];
  return unicode_glyph[kGlyphCornerStart + code - 254];
}

std::string tmscii_to_utf8(std::string_view tmscii, UppercaseForm uppercase) {
  std::string text;
  text.reserve(tmscii.size());
  for (char byte : tmscii) text += tmscii_code_as_utf8(uint8_t(byte), uppercase);
  return text;
}

std::string utf8_to_tmscii(std::string_view utf8) {
  const std::vector<CodePointEntry>& table = reverse_table();
  std::string tmscii;
  tmscii.reserve(utf8.size());
  size_t position = 0;
  while (position < utf8.size()) {
    const uint8_t byte = uint8_t(utf8[position]);
    if (byte < 0x80) {
      tmscii += char(byte);
      ++position;
      continue;
    }
    DecodedCodePoint decoded = decode_code_point(utf8, position);
    if (decoded.length == 0) {
      tmscii += char(byte);
      ++position;
      continue;
    }
    auto found = std::lower_bound(table.begin(), table.end(), decoded.value,
                                  [](const CodePointEntry& entry, uint32_t value) { return entry.code_point < value; });
    if (found == table.end() || found->code_point != decoded.value) {
      tmscii.append(utf8.substr(position, decoded.length));
      position += decoded.length;
      continue;
    }
    tmscii += char(found->code);
    position += decoded.length;
    if (found->carries_selector && position < utf8.size()) {
      DecodedCodePoint next = decode_code_point(utf8, position);
      if (next.length != 0 && next.value == kVariationSelector16) position += next.length;
    }
  }
  return tmscii;
}

}  // namespace tamori::cart
