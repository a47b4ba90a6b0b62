// ROM images: the record read from any image, built into an image again and
// read back, is the same record.
#include <vector>

#include "cart/rom_file.h"
#include "cart/rom_image.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  std::unique_ptr<cart::Cartridge> first = cart::read_rom_cartridge(fuzz::as_bytes(data, size));
  std::vector<uint8_t> image(cart::kRomImageSize);
  const cart::RomBuildResult built = cart::build_rom_image(*first, image.data(), false);
  if (built.status != cart::RomBuildStatus::built) return 0;  // code that does not fit again
  auto second = cart::create_cartridge();
  cart::read_rom_image(image.data(), *second);
  fuzz::check(second->code == first->code, "code survives the image");
  std::vector<uint8_t> again(cart::kRomImageSize);
  cart::build_rom_image(*second, again.data(), false);
  fuzz::check(again == image, "the same record builds the same image");
  return 0;
}
