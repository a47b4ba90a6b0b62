#include "cart/rom_image.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "cart/cartridge_bytes.h"
#include "cart/code_compress.h"
#include "cart/working_cartridge.h"

namespace tamori::cart {

static_assert(kRomCodeSize == kCompressedCodeLimit);

RomBuildResult build_rom_image(const Cartridge& cartridge, uint8_t* image, bool flatten) {
  RomBuildResult result;
  std::memset(image, 0, kRomImageSize);
  copy_cartridge_to_rom(cartridge, image);
  if (flatten && code_has_include(cartridge.code)) {
    result.status = RomBuildStatus::flatten_failed;
    return result;
  }
  std::vector<uint8_t> stored = compress_code(cartridge.code);
  result.compressed_length = stored.size();
  if (stored.size() > kRomCodeSize) {
    result.status = RomBuildStatus::code_too_large;
    return result;
  }
  std::copy(stored.begin(), stored.end(), image + kRomCodeStart);
  return result;
}

void read_rom_image(const uint8_t* image, Cartridge& cartridge) {
  copy_rom_to_cartridge(image, cartridge);
  std::span<const uint8_t> code_area(image + kRomCodeStart, kRomCodeSize);
  // Plain text is taken up to its first zero byte, compressed code up to its
  // own length; decompress_code does both. A zero byte inside decompressed
  // code ends it as well: stored again as plain text nothing after it would
  // survive, so the record would not read back the same.
  cartridge.code = decompress_code(code_area, kMaxCartridgeCodeLength);
  const std::size_t zero = cartridge.code.find('\0');
  if (zero != std::string::npos) cartridge.code.resize(zero);
}

}  // namespace tamori::cart
