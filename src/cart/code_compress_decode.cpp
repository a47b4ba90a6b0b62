// Decoders for both compressed code formats and the format test.
#include <algorithm>
#include <cstring>

#include "cart/code_compress.h"
#include "cart/code_compress_bits.h"

namespace tamori::cart {

namespace {

bool starts_with_mark(std::span<const uint8_t> stored, const uint8_t (&mark)[4]) {
  return stored.size() >= 4 && std::memcmp(stored.data(), mark, 4) == 0;
}

std::size_t read_big_endian_16(std::span<const uint8_t> stored, std::size_t at) {
  return (static_cast<std::size_t>(stored[at]) << 8) | stored[at + 1];
}

// Copies `length` bytes one by one from `offset` bytes back, so that a copy
// overlapping its own output repeats the last `offset` bytes. The caller has
// checked that the offset stays inside the text.
void copy_back_reference(std::string& text, std::size_t offset, std::size_t length) {
  std::size_t from = text.size() - offset;
  for (std::size_t i = 0; i < length; ++i) text.push_back(text[from + i]);
}

std::string decode_plain_text(std::span<const uint8_t> stored, std::size_t max_text_length) {
  std::size_t length = std::min(stored.size(), max_text_length);
  const uint8_t* end = std::find(stored.data(), stored.data() + length, uint8_t{0});
  return std::string(stored.data(), end);
}

// Reads a back reference's length: 3 plus 3-bit chunks, another chunk
// following each chunk of 7. False when the stream ends inside it.
bool read_match_length(BitReader& reader, std::size_t* length) {
  std::size_t total = kMinimumMatchLength;
  uint32_t chunk = 0;
  do {
    if (!reader.read(3, &chunk)) return false;
    total += chunk;
  } while (chunk == 7);
  *length = total;
  return true;
}

std::string decode_current_format(std::span<const uint8_t> stored, std::size_t max_text_length) {
  std::string text;
  if (stored.size() < kCompressedHeaderSize) return text;
  std::size_t text_length = std::min(read_big_endian_16(stored, 4), max_text_length);
  std::size_t compressed_length = read_big_endian_16(stored, 6);
  if (compressed_length < kCompressedHeaderSize + 1) return text;

  BitReader reader{stored.first(std::min(compressed_length, stored.size())),
                   kCompressedHeaderSize * 8};
  MoveToFrontTable table;
  text.reserve(text_length);
  uint32_t bit = 0;
  while (text.size() < text_length && reader.byte_position() < reader.bytes.size()) {
    if (!reader.read(1, &bit)) break;
    if (bit == 1) {
      unsigned index_class = 0;
      for (;;) {
        if (!reader.read(1, &bit)) return text;
        if (bit == 0) break;
        if (++index_class > 4) return text;  // no class above 4 exists
      }
      uint32_t value = 0;
      if (!reader.read(4 + index_class, &value)) break;
      unsigned index = literal_class_start(index_class) + value;
      if (index > 255) break;
      text.push_back(static_cast<char>(table.take(index)));
      continue;
    }

    unsigned offset_bits = kLongOffsetBits;
    if (!reader.read(1, &bit)) break;
    if (bit == 1) {
      if (!reader.read(1, &bit)) break;
      offset_bits = bit == 1 ? kShortOffsetBits : kMiddleOffsetBits;
    }
    uint32_t offset_value = 0;
    if (!reader.read(offset_bits, &offset_value)) break;

    if (offset_bits == kMiddleOffsetBits && offset_value == 0) {
      // Raw run: bytes as they are up to a zero byte.
      uint32_t byte = 0;
      for (;;) {
        if (!reader.read(8, &byte)) return text;
        if (byte == 0) break;
        if (text.size() >= text_length) return text;
        text.push_back(static_cast<char>(byte));
      }
      continue;
    }

    std::size_t offset = offset_value + 1;
    std::size_t length = 0;
    if (!read_match_length(reader, &length)) break;
    if (offset > text.size()) break;  // reaches before the first byte: the text ends here
    copy_back_reference(text, offset, std::min(length, text_length - text.size()));
  }
  return text;
}

// The older format's one-byte literals (entry 0 is never used).
constexpr char kOlderFormatCharacters[61] =
    "^\n 0123456789abcdefghijklmnopqrstuvwxyz!#%(){}[]<>+=/*:;.,~_";

// Older cartridges had a frame-rate shim appended when they were stored;
// decoding drops it again when it ends the text.
constexpr std::string_view kOlderFormatEndings[] = {
    "if(_update60)_update=function()_update60()_update60()end",
    "if(_update60)_update=function()_update60()_update_buttons()_update60()end",
};

std::string decode_older_format(std::span<const uint8_t> stored, std::size_t max_text_length) {
  std::string text;
  if (stored.size() < kCompressedHeaderSize) return text;
  std::size_t text_length = std::min(read_big_endian_16(stored, 4), max_text_length);
  text.reserve(text_length);
  std::size_t position = kCompressedHeaderSize;
  while (text.size() < text_length && position < stored.size()) {
    uint8_t code = stored[position++];
    if (code >= 60) {
      if (position >= stored.size()) break;
      uint8_t next = stored[position++];
      std::size_t offset = static_cast<std::size_t>(code - 60) * 16 + (next & 15);
      std::size_t length = static_cast<std::size_t>(next >> 4) + 2;
      if (offset == 0 || offset > text.size()) break;  // nothing to copy from there
      copy_back_reference(text, offset, std::min(length, text_length - text.size()));
    } else if (code == 0) {
      if (position >= stored.size()) break;
      text.push_back(static_cast<char>(stored[position++]));
    } else {
      text.push_back(kOlderFormatCharacters[code]);
    }
  }
  for (std::string_view ending : kOlderFormatEndings) {
    if (text.ends_with(ending)) {
      text.resize(text.size() - ending.size());
      break;
    }
  }
  return text;
}

}  // namespace

CodeFormat code_format_of(std::span<const uint8_t> stored) {
  if (starts_with_mark(stored, kOlderFormatMark)) return CodeFormat::older;
  if (starts_with_mark(stored, kCurrentFormatMark)) return CodeFormat::current;
  return CodeFormat::plain_text;
}

std::string decompress_code(std::span<const uint8_t> stored, std::size_t max_text_length) {
  switch (code_format_of(stored)) {
    case CodeFormat::older:
      return decode_older_format(stored, max_text_length);
    case CodeFormat::current:
      return decode_current_format(stored, max_text_length);
    case CodeFormat::plain_text:
      break;
  }
  return decode_plain_text(stored, max_text_length);
}

}  // namespace tamori::cart
