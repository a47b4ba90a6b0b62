// SHA-1 message digest (RFC 3174). Used for cartridge identity hashes, the
// picture-cartridge checksum and change detection of the settings file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tamori::host {

using Sha1Digest = std::array<uint8_t, 20>;

// Incremental form, for data that arrives in pieces.
struct Sha1State {
  uint32_t hash[5];
  uint64_t total_bytes;
  uint8_t pending_block[64];
  size_t pending_size;
};

void sha1_begin(Sha1State& state);
void sha1_add(Sha1State& state, const void* data, size_t size);
Sha1Digest sha1_finish(Sha1State& state);

Sha1Digest sha1(const void* data, size_t size);
Sha1Digest sha1(std::string_view text);

// Forty lowercase hexadecimal digits.
std::string sha1_hex(const Sha1Digest& digest);
std::string sha1_hex(const void* data, size_t size);

}  // namespace tamori::host
