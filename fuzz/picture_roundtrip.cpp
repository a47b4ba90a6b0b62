// PNG cartridges: a record read from ROM bytes, saved as a picture and
// loaded again, has the same code and ROM bytes.
#include <vector>

#include "cart/picture_cartridge.h"
#include "cart/rom_file.h"
#include "cart/rom_image.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  static const cart::CartridgeHost host = fuzz::quiet_host();
  std::unique_ptr<cart::Cartridge> first = cart::read_rom_cartridge(fuzz::as_bytes(data, size));
  std::vector<uint8_t> png;
  if (cart::encode_picture_cartridge(*first, nullptr, &png) != cart::PictureSaveStatus::saved) return 0;
  cart::PictureLoadResult loaded = cart::read_picture_cartridge(png, host);
  fuzz::check(loaded.cartridge != nullptr, "a saved picture loads");
  fuzz::check(loaded.cartridge->code == first->code, "code survives the picture");
  std::vector<uint8_t> a(cart::kRomImageSize), b(cart::kRomImageSize);
  cart::build_rom_image(*first, a.data(), false);
  cart::build_rom_image(*loaded.cartridge, b.data(), false);
  fuzz::check(a == b, "ROM bytes survive the picture");
  return 0;
}
