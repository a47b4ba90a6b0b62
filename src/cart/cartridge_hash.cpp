#include "cart/cartridge_hash.h"

#include <algorithm>
#include <vector>

#include "cart/cartridge_bytes.h"
#include "cart/code_compress.h"
#include "host/sha1.h"

namespace tamori::cart {
namespace {

constexpr std::size_t kImageSize = 0x8000;

}  // namespace

std::string cartridge_hash(const Cartridge* cartridge) {
  if (cartridge == nullptr) return std::string(40, '0');
  // Hashing the code's hash keeps the image buildable whatever the code's size.
  std::string code_hash = host::sha1_hex(cartridge->code.data(), cartridge->code.size());
  std::vector<uint8_t> stored_code = compress_code(code_hash);
  if (stored_code.size() > kCompressedCodeLimit) return code_hash;
  std::vector<uint8_t> image(kImageSize, 0);
  copy_cartridge_to_rom(*cartridge, image.data());
  std::copy(stored_code.begin(), stored_code.end(), image.begin() + kRomByteCount);
  return host::sha1_hex(image.data(), image.size());
}

}  // namespace tamori::cart
