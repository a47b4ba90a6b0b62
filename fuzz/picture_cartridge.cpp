// The PNG cartridge loader on any file bytes (LodePNG decodes them first).
#include "cart/picture_cartridge.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  static const cart::CartridgeHost host = fuzz::quiet_host();
  cart::PictureLoadResult result = cart::read_picture_cartridge(fuzz::as_bytes(data, size), host);
  fuzz::check((result.status == cart::PictureLoadStatus::loaded) == (result.cartridge != nullptr), "record and status agree");
  return 0;
}
