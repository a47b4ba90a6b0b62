#include "cart/lua_source.h"

#include <algorithm>

#include "cart/tmscii_utf8.h"
#include "cart/file_start.h"

namespace tamori::cart {
namespace {

struct Encoding {
  std::size_t unit_width = 1;
  bool big_endian = false;
  std::size_t mark_length = 0;
};

bool starts_with_bytes(std::span<const uint8_t> bytes, std::initializer_list<uint8_t> mark) {
  return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

// The four-byte marks are tested before the two-byte ones they begin with.
Encoding encoding_of(std::span<const uint8_t> bytes) {
  if (starts_with_bytes(bytes, {0xff, 0xfe, 0x00, 0x00})) return {4, false, 4};
  if (starts_with_bytes(bytes, {0x00, 0x00, 0xfe, 0xff})) return {4, true, 4};
  if (starts_with_bytes(bytes, {0xef, 0xbb, 0xbf})) return {1, false, 3};
  if (starts_with_bytes(bytes, {0xff, 0xfe})) return {2, false, 2};
  if (starts_with_bytes(bytes, {0xfe, 0xff})) return {2, true, 2};
  return {};
}

uint32_t code_unit_at(std::span<const uint8_t> bytes, std::size_t position, const Encoding& encoding) {
  uint32_t value = 0;
  for (std::size_t i = 0; i < encoding.unit_width; ++i) {
    std::size_t byte_index = encoding.big_endian ? i : encoding.unit_width - 1 - i;
    value = (value << 8) | bytes[position + byte_index];
  }
  return value;
}

void append_escaped_unit(std::string& text, uint32_t unit, std::size_t unit_width) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  text += "\\x";
  for (std::size_t digit = unit_width * 2; digit-- > 0;) text += kHexDigits[(unit >> (4 * digit)) & 15];
}

}  // namespace

std::string source_bytes_to_code(std::span<const uint8_t> bytes) {
  bytes = bytes.first(std::min(bytes.size(), kMaxSourceFileSize));
  Encoding encoding = encoding_of(bytes);
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t position = encoding.mark_length; position + encoding.unit_width <= bytes.size();
       position += encoding.unit_width) {
    uint32_t unit = code_unit_at(bytes, position, encoding);
    if (unit == '\r') continue;
    if (unit <= 0xff) {
      text += static_cast<char>(unit);
    } else {
      append_escaped_unit(text, unit, encoding.unit_width);
    }
  }
  std::string code = utf8_to_tmscii(text);
  if (code.size() > kMaxSourceCodeLength) code.resize(kMaxSourceCodeLength);
  code += '\n';
  return code;
}

std::unique_ptr<Cartridge> load_source_file(const std::string& path) {
  auto bytes = read_file_start(path, kMaxSourceFileSize);
  if (!bytes) return nullptr;
  auto cartridge = create_cartridge();
  cartridge->code = source_bytes_to_code(*bytes);
  return cartridge;
}

}  // namespace tamori::cart
