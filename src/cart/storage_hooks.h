// Connects the memory functions' cartridge-file callbacks (reload and
// cstore) to the cartridge loaders and the text saver.
#pragma once

#include "cart/cartridge_host.h"
#include "cart/working_cartridge.h"
#include "machine/memory_files.h"

namespace tamori::cart {

// Fills the file, hash, loaded-ROM and log callbacks of `storage` (the
// built-in cartridge callbacks belong to the data file's code). `working` and
// `host` must outlive it.
void connect_cartridge_storage(machine::CartridgeStorage& storage, WorkingCartridge& working, const CartridgeHost& host);

// The callbacks themselves, for direct use.
bool load_cartridge_image(const std::string& path, machine::CartridgeImage* image, const CartridgeHost& host);
bool save_cartridge_image(const std::string& path, const machine::CartridgeImage& image, bool as_png,
                          const CartridgeHost& host);

}  // namespace tamori::cart
