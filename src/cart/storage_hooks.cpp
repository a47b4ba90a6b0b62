#include "cart/storage_hooks.h"

#include <algorithm>

#include "cart/binary_formats.h"
#include "cart/cartridge_bytes.h"
#include "cart/cartridge_loader.h"
#include "cart/text_writer.h"
#include "host/files.h"
#include "host/log.h"

namespace tamori::cart {

static_assert(machine::kCartridgeRomSize == kRomByteCount);
static_assert(machine::kChangeMaskBytes == kChangeMaskByteCount);

bool load_cartridge_image(const std::string& path, machine::CartridgeImage* image, const CartridgeHost& host) {
  CartridgeLoadResult result = load_cartridge_any_format(path, host);
  if (!result.cartridge) return false;
  copy_cartridge_to_rom(*result.cartridge, image->rom);
  std::copy(result.cartridge->change_mask.begin(), result.cartridge->change_mask.end(), image->change_mask);
  return true;
}

bool save_cartridge_image(const std::string& path, const machine::CartridgeImage& image, bool as_png,
                          const CartridgeHost& host) {
  // The file keeps its own code, label and meta sections.
  CartridgeLoadResult existing = load_cartridge_any_format(path, host);
  std::unique_ptr<Cartridge> cartridge = existing.cartridge ? std::move(existing.cartridge) : create_cartridge();
  copy_rom_to_cartridge(image.rom, *cartridge);
  // cstore names may lead into folders that do not exist yet.
  std::size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0) host::make_folders(path.substr(0, slash));
  std::copy(std::begin(image.change_mask), std::end(image.change_mask), cartridge->change_mask.begin());
  int status = as_png ? save_picture_cartridge(*cartridge, path, host) : save_cartridge_text(*cartridge, path);
  return status == 0;
}

void connect_cartridge_storage(machine::CartridgeStorage& storage, WorkingCartridge& working, const CartridgeHost& host) {
  WorkingCartridge* working_cartridge = &working;
  storage.data_folder = host.data_folder;
  storage.loaded_cartridge_hash = [working_cartridge] { return working_cartridge->hash; };
  storage.read_loaded_rom = [working_cartridge](uint8_t* rom) {
    copy_cartridge_to_rom(*working_cartridge->cartridge, rom);
    return true;
  };
  storage.write_loaded_rom = [working_cartridge](const uint8_t* rom) { copy_rom_to_cartridge(rom, *working_cartridge->cartridge); };
  // The host is kept by value: callers hand over a temporary.
  storage.load_cartridge_file = [host](const std::string& path, machine::CartridgeImage* image) {
    return load_cartridge_image(path, image, host);
  };
  storage.log = [](const std::string& line) { host::ruvo_log("%s", line.c_str()); };
  storage.save_cartridge_file = [host](const std::string& path, const machine::CartridgeImage& image, bool as_png) {
    return save_cartridge_image(path, image, as_png, host);
  };
}

}  // namespace tamori::cart
