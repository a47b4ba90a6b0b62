// Bit streams and the move-to-front table shared by the current-format
// encoder and decoder. Bits fill each byte from bit 0 upwards; multi-bit
// values are written least significant bit first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tamori::cart {

struct BitReader {
  std::span<const uint8_t> bytes;  // readable bytes; nothing past the end is touched
  std::size_t bit_position = 0;

  std::size_t byte_position() const { return bit_position / 8; }
  bool has_bits(unsigned count) const { return bit_position + count <= bytes.size() * 8; }

  // Reads `count` (at most 16) bits into `value`; false when the stream ends first.
  bool read(unsigned count, uint32_t* value) {
    if (!has_bits(count)) return false;
    uint32_t result = 0;
    for (unsigned i = 0; i < count; ++i) {
      uint32_t bit = (bytes[bit_position / 8] >> (bit_position % 8)) & 1u;
      result |= bit << i;
      ++bit_position;
    }
    *value = result;
    return true;
  }
};

struct BitWriter {
  std::vector<uint8_t> bytes;
  std::size_t bit_position = 0;

  void write(uint32_t value, unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
      if (bit_position % 8 == 0) bytes.push_back(0);
      if ((value >> i) & 1u) bytes.back() |= static_cast<uint8_t>(1u << (bit_position % 8));
      ++bit_position;
    }
  }

  // Drops every bit from `position` on, so that writing can resume there.
  void rewind_to(std::size_t position) {
    bit_position = position;
    bytes.resize((position + 7) / 8);
    if (position % 8 != 0) bytes.back() &= static_cast<uint8_t>((1u << (position % 8)) - 1u);
  }
};

// 256 byte values in recency order, with each value's index kept beside it
// so that the encoder finds a byte's index without searching.
struct MoveToFrontTable {
  uint8_t value_at[256];
  uint8_t index_of[256];

  MoveToFrontTable() {
    for (int i = 0; i < 256; ++i) {
      value_at[i] = static_cast<uint8_t>(i);
      index_of[i] = static_cast<uint8_t>(i);
    }
  }

  // Returns the value at `index` and moves it to the front.
  uint8_t take(unsigned index) {
    uint8_t value = value_at[index];
    for (unsigned i = index; i > 0; --i) {
      value_at[i] = value_at[i - 1];
      index_of[value_at[i]] = static_cast<uint8_t>(i);
    }
    value_at[0] = value;
    index_of[value] = 0;
    return value;
  }
};

// Literal indices come in five classes k = 0..4 of 16 * 2^k entries:
// 0..15, 16..47, 48..111, 112..239, 240..255 (the last one only partly used).
inline unsigned literal_index_class(unsigned index) {
  if (index < 16) return 0;
  if (index < 48) return 1;
  if (index < 112) return 2;
  if (index < 240) return 3;
  return 4;
}

inline unsigned literal_class_start(unsigned index_class) { return 16u * ((1u << index_class) - 1u); }

// Offset classes of a back reference; the 10-bit class with value 0 starts a raw run.
inline constexpr unsigned kShortOffsetBits = 5;
inline constexpr unsigned kMiddleOffsetBits = 10;
inline constexpr unsigned kLongOffsetBits = 15;
inline constexpr std::size_t kMinimumMatchLength = 3;
inline constexpr std::size_t kLongestOffset = 32767;

}  // namespace tamori::cart
