#include "cart/cartridge_hash.h"

#include <vector>

#include "cart/rom_image.h"
#include "host/sha1.h"

namespace tamori::cart {

std::string cartridge_hash(const Cartridge* cartridge) {
  if (cartridge == nullptr) return std::string(40, '0');
  // Hashing the code's hash keeps the image buildable whatever the code's size.
  std::string code_hash = host::sha1_hex(cartridge->code.data(), cartridge->code.size());
  auto hashed = std::make_unique<Cartridge>(*cartridge);
  hashed->code = code_hash;
  std::vector<uint8_t> image(kRomImageSize);
  if (build_rom_image(*hashed, image.data(), false).status != RomBuildStatus::built) return code_hash;
  return host::sha1_hex(image.data(), image.size());
}

}  // namespace tamori::cart
