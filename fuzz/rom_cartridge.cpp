// The ROM cartridge loader on any file bytes.
#include "cart/rom_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  std::unique_ptr<cart::Cartridge> cartridge = cart::read_rom_cartridge(fuzz::as_bytes(data, size));
  fuzz::check(cartridge != nullptr, "a ROM file always gives a record");
  fuzz::check(cartridge->code.size() <= cart::kMaxCartridgeCodeLength, "code within the record's limit");
  return 0;
}
