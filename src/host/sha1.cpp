#include "host/sha1.h"

#include <cstring>

namespace tamori::host {
namespace {

uint32_t rotate_left(uint32_t value, int bits) {
  return (value << bits) | (value >> (32 - bits));
}

void process_block(uint32_t hash[5], const uint8_t block[64]) {
  uint32_t words[80];
  for (int i = 0; i < 16; ++i) {
    words[i] = uint32_t(block[4 * i]) << 24 | uint32_t(block[4 * i + 1]) << 16 |
               uint32_t(block[4 * i + 2]) << 8 | uint32_t(block[4 * i + 3]);
  }
  for (int i = 16; i < 80; ++i) {
    words[i] = rotate_left(words[i - 3] ^ words[i - 8] ^ words[i - 14] ^ words[i - 16], 1);
  }
  uint32_t a = hash[0], b = hash[1], c = hash[2], d = hash[3], e = hash[4];
  for (int i = 0; i < 80; ++i) {
    uint32_t mix, constant;
    if (i < 20) {
      mix = (b & c) | (~b & d);
      constant = 0x5a827999;
    } else if (i < 40) {
      mix = b ^ c ^ d;
      constant = 0x6ed9eba1;
    } else if (i < 60) {
      mix = (b & c) | (b & d) | (c & d);
      constant = 0x8f1bbcdc;
    } else {
      mix = b ^ c ^ d;
      constant = 0xca62c1d6;
    }
    uint32_t next = rotate_left(a, 5) + mix + e + constant + words[i];
    e = d;
    d = c;
    c = rotate_left(b, 30);
    b = a;
    a = next;
  }
  hash[0] += a;
  hash[1] += b;
  hash[2] += c;
  hash[3] += d;
  hash[4] += e;
}

}  // namespace

void sha1_begin(Sha1State& state) {
  state.hash[0] = 0x67452301;
  state.hash[1] = 0xefcdab89;
  state.hash[2] = 0x98badcfe;
  state.hash[3] = 0x10325476;
  state.hash[4] = 0xc3d2e1f0;
  state.total_bytes = 0;
  state.pending_size = 0;
}

void sha1_add(Sha1State& state, const void* data, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  state.total_bytes += size;
  while (size > 0) {
    size_t take = 64 - state.pending_size;
    if (take > size) take = size;
    std::memcpy(state.pending_block + state.pending_size, bytes, take);
    state.pending_size += take;
    bytes += take;
    size -= take;
    if (state.pending_size == 64) {
      process_block(state.hash, state.pending_block);
      state.pending_size = 0;
    }
  }
}

Sha1Digest sha1_finish(Sha1State& state) {
  uint64_t bit_length = state.total_bytes * 8;
  // Padding: a one bit, zeros up to 56 bytes into a block, then the length.
  uint8_t padding[72] = {0x80};
  size_t padding_size = state.pending_size < 56 ? 56 - state.pending_size : 120 - state.pending_size;
  uint64_t saved_total = state.total_bytes;
  sha1_add(state, padding, padding_size);
  uint8_t length_bytes[8];
  for (int i = 0; i < 8; ++i) length_bytes[i] = uint8_t(bit_length >> (56 - 8 * i));
  sha1_add(state, length_bytes, 8);
  state.total_bytes = saved_total;
  Sha1Digest digest;
  for (int i = 0; i < 5; ++i) {
    digest[4 * i] = uint8_t(state.hash[i] >> 24);
    digest[4 * i + 1] = uint8_t(state.hash[i] >> 16);
    digest[4 * i + 2] = uint8_t(state.hash[i] >> 8);
    digest[4 * i + 3] = uint8_t(state.hash[i]);
  }
  return digest;
}

Sha1Digest sha1(const void* data, size_t size) {
  Sha1State state;
  sha1_begin(state);
  sha1_add(state, data, size);
  return sha1_finish(state);
}

Sha1Digest sha1(std::string_view text) { return sha1(text.data(), text.size()); }

std::string sha1_hex(const Sha1Digest& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(40, '0');
  for (size_t i = 0; i < digest.size(); ++i) {
    text[2 * i] = kDigits[digest[i] >> 4];
    text[2 * i + 1] = kDigits[digest[i] & 15];
  }
  return text;
}

std::string sha1_hex(const void* data, size_t size) { return sha1_hex(sha1(data, size)); }

}  // namespace tamori::host
