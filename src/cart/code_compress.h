// Compressed cartridge code. The ROM image has 15616 bytes for code that may
// be up to 65535 bytes long, so code is stored in one of two compressed
// formats: the current one (mark 00 'p' 'x' 'a', written and read) and an
// older one (mark ':' 'c' ':' 00, read only). Code without either mark is
// stored as plain text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamori::cart {

// Room for code in the ROM image (0x4300..0x7fff).
inline constexpr std::size_t kCompressedCodeLimit = 0x3d00;
// Longest code text the compressor and decompressor handle.
inline constexpr std::size_t kMaxCodeLength = 65535;

inline constexpr uint8_t kCurrentFormatMark[4] = {0x00, 0x70, 0x78, 0x61};
inline constexpr uint8_t kOlderFormatMark[4] = {0x3a, 0x63, 0x3a, 0x00};
inline constexpr std::size_t kCompressedHeaderSize = 8;

enum class CodeFormat : int { plain_text = 0, older = 1, current = 2 };

// Which format a stored code block is in, judged by its first four bytes.
CodeFormat code_format_of(std::span<const uint8_t> stored);

// Decodes a stored code block of any format into text of at most
// `max_text_length` bytes. Plain text is copied up to the first zero byte.
// Hostile or truncated input gives a shorter text, never an out-of-bounds
// access; back references before the start of the text end decoding.
std::string decompress_code(std::span<const uint8_t> stored,
                            std::size_t max_text_length = kMaxCodeLength);

// Encodes text (at most kMaxCodeLength bytes; longer text is cut) in the
// current format. When the encoding would be longer than the text, the text
// itself is returned unchanged (no mark). The caller compares the size with
// kCompressedCodeLimit.
std::vector<uint8_t> compress_code(std::string_view text);

// The current-format block for `text` (cut at kMaxCodeLength), even when it
// is longer than the text; compress_code chooses between this and the text.
std::vector<uint8_t> encode_current_format(std::string_view text);

}  // namespace tamori::cart
