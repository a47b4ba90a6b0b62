// Round trips through the encoder and decoder, and both decoders on hostile
// streams (fixed seeds, bounded sizes).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cart/code_compress.h"

namespace tamori::cart {
namespace {

// The code section of a cartridge text file: the lines after "__lua__" up
// to the next section marker, joined with "\n".
std::string code_section_of(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::string line;
  std::string code;
  bool in_code = false;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    bool marker = line.starts_with("__gfx__") || line.starts_with("__gff__") ||
                  line.starts_with("__map__") || line.starts_with("__sfx__") ||
                  line.starts_with("__music__") || line.starts_with("__label__") ||
                  line.starts_with("__change_mask__") || line.starts_with("__meta:") ||
                  line.starts_with("__lua__");
    if (marker) {
      in_code = line.starts_with("__lua__");
      continue;
    }
    if (in_code) code += line + "\n";
  }
  if (!code.empty()) code.pop_back();
  return code;
}

std::vector<std::filesystem::path> shared_cartridges() {
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(TAMORI_SHARED_DIR "/carts")) {
    if (entry.path().extension() == ".tm") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(CodeCompressRoundTrip, EveryCartridgeCode) {
  std::vector<std::filesystem::path> carts = shared_cartridges();
  ASSERT_GT(carts.size(), 10u);
  for (const auto& path : carts) {
    std::string code = code_section_of(path);
    ASSERT_FALSE(code.empty()) << path;
    code.resize(std::min(code.size(), kMaxCodeLength));
    std::vector<uint8_t> stored = compress_code(code);
    EXPECT_EQ(code_format_of(stored), CodeFormat::current) << path;
    EXPECT_LT(stored.size(), code.size()) << path;
    EXPECT_EQ(decompress_code(stored), code) << path;
    // Encoding is deterministic.
    EXPECT_EQ(compress_code(code), stored) << path;
  }
}

std::string random_text(std::mt19937& random, std::size_t length, int alphabet, bool allow_zero) {
  std::string text;
  std::uniform_int_distribution<int> byte(allow_zero ? 0 : 1, std::min(255, alphabet));
  std::uniform_int_distribution<int> choice(0, 9);
  while (text.size() < length) {
    // Mix fresh bytes with copies of earlier stretches so that references,
    // literals and raw runs all occur.
    if (!text.empty() && choice(random) < 3) {
      std::uniform_int_distribution<std::size_t> from(0, text.size() - 1);
      std::size_t start = from(random);
      std::uniform_int_distribution<std::size_t> span(1, 40);
      std::size_t count = std::min(span(random), length - text.size());
      for (std::size_t i = 0; i < count; ++i) text.push_back(text[start + i]);
    } else {
      text.push_back(static_cast<char>(byte(random)));
    }
  }
  return text;
}

TEST(CodeCompressRoundTrip, RandomTexts) {
  std::mt19937 random(20261208);
  const std::size_t lengths[] = {0, 1, 2, 3, 4, 9, 31, 32, 33, 100, 1000, 5000, 40000};
  const int alphabets[] = {2, 16, 60, 255};
  for (std::size_t length : lengths) {
    for (int alphabet : alphabets) {
      for (bool allow_zero : {false, true}) {
        std::string text = random_text(random, length, alphabet, allow_zero);
        std::vector<uint8_t> stored = compress_code(text);
        EXPECT_LE(stored.size(), text.size());
        std::vector<uint8_t> coded = encode_current_format(text);
        EXPECT_EQ(decompress_code(coded), text) << length << " " << alphabet;
        if (!allow_zero) {
          EXPECT_EQ(decompress_code(stored), text) << length << " " << alphabet;
        }
      }
    }
  }
}

TEST(CodeCompressRoundTrip, LongestTexts) {
  std::mt19937 random(7);
  for (int alphabet : {3, 255}) {
    std::string text = random_text(random, kMaxCodeLength, alphabet, false);
    EXPECT_EQ(decompress_code(compress_code(text)), text);
  }
  std::string same(kMaxCodeLength, 'e');
  std::vector<uint8_t> stored = compress_code(same);
  // One literal (10 bits), one reference (8 bits and 9362 length chunks):
  // 28104 bits, 3513 bytes after the header.
  EXPECT_EQ(stored.size(), 3521u);
  EXPECT_EQ(decompress_code(stored), same);
}

// The decoder's bounds: never more than the declared length or the buffer.
void expect_bounded(const std::vector<uint8_t>& stored, std::size_t max_text_length) {
  std::string text = decompress_code(stored, max_text_length);
  EXPECT_LE(text.size(), max_text_length);
  if (stored.size() >= 6 && code_format_of(stored) != CodeFormat::plain_text) {
    EXPECT_LE(text.size(), (static_cast<std::size_t>(stored[4]) << 8) | stored[5]);
  }
}

TEST(CodeCompressHostile, RandomCurrentFormatStreams) {
  std::mt19937 random(1);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<std::size_t> size(0, 600);
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> stored = {0x00, 0x70, 0x78, 0x61};
    std::size_t body = size(random);
    for (std::size_t i = 0; i < body; ++i) stored.push_back(static_cast<uint8_t>(byte(random)));
    // Half of the streams claim sensible lengths, half anything at all.
    if (round % 2 == 0 && stored.size() >= 8) {
      std::size_t declared = 1 + round % 4000;
      stored[4] = static_cast<uint8_t>(declared >> 8);
      stored[5] = static_cast<uint8_t>(declared);
      stored[6] = static_cast<uint8_t>(stored.size() >> 8);
      stored[7] = static_cast<uint8_t>(stored.size());
    }
    expect_bounded(stored, round % 3 == 0 ? 64 : kMaxCodeLength);
  }
}

TEST(CodeCompressHostile, RandomOlderFormatStreams) {
  std::mt19937 random(2);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<std::size_t> size(0, 600);
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> stored = {0x3a, 0x63, 0x3a, 0x00};
    std::size_t body = size(random);
    for (std::size_t i = 0; i < body; ++i) stored.push_back(static_cast<uint8_t>(byte(random)));
    expect_bounded(stored, round % 3 == 0 ? 64 : kMaxCodeLength);
  }
}

TEST(CodeCompressHostile, DamagedValidStreams) {
  std::mt19937 random(3);
  std::string text = random_text(random, 3000, 60, false);
  const std::vector<uint8_t> good = compress_code(text);
  ASSERT_EQ(code_format_of(good), CodeFormat::current);
  std::uniform_int_distribution<std::size_t> where(8, good.size() - 1);
  std::uniform_int_distribution<int> bit(0, 7);
  for (int round = 0; round < 400; ++round) {
    std::vector<uint8_t> damaged = good;
    for (int flips = 0; flips <= round % 5; ++flips) {
      damaged[where(random)] ^= static_cast<uint8_t>(1 << bit(random));
    }
    expect_bounded(damaged, kMaxCodeLength);
    // Truncation keeps a prefix of the text.
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(where(random)));
    std::string prefix = decompress_code(cut);
    EXPECT_EQ(prefix, text.substr(0, prefix.size()));
  }
}

}  // namespace
}  // namespace tamori::cart
