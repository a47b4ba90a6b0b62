// The 32 KB ROM image of a cartridge: the record's bytes 0x0000..0x42ff as
// the byte view lays them out, then 15616 bytes of code (compressed, or
// plain text), the rest zero. Both binary formats and the identity hash are
// built from it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cart/cartridge.h"

namespace tamori::cart {

inline constexpr std::size_t kRomImageSize = 0x8000;
inline constexpr std::size_t kRomCodeStart = kRomByteCount;  // 0x4300
inline constexpr std::size_t kRomCodeSize = kRomImageSize - kRomCodeStart;  // 15616

enum class RomBuildStatus : int { built = 0, code_too_large = 1, flatten_failed = 2 };

struct RomBuildResult {
  RomBuildStatus status = RomBuildStatus::built;
  // Bytes the code takes once compressed (or stored plain), even when that
  // is too many for the image.
  std::size_t compressed_length = 0;
};

// Fills `image` (kRomImageSize bytes). With `flatten`, code holding an
// "#include " line cannot be stored (flatten_failed). On failure the image
// holds the record's bytes and no code. The caller holds the audio lock when
// the record is one the audio thread plays from.
RomBuildResult build_rom_image(const Cartridge& cartridge, uint8_t* image, bool flatten);

// Writes bytes 0x0000..0x42ff into the record through the byte view and sets
// its code: the decompression of the code area when it starts with a
// compression mark, else the area up to its first zero byte.
void read_rom_image(const uint8_t* image, Cartridge& cartridge);

}  // namespace tamori::cart
