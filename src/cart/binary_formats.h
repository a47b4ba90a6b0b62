// The entry points of the binary cartridge formats: the cartridge picture
// (".tm.png") and the raw ROM image (".tm.rom"), as the loader and the
// savers of whole cartridges use them.
#pragma once

#include <memory>
#include <string>

#include "cart/cartridge.h"
#include "cart/cartridge_host.h"
#include "cart/picture_cartridge.h"

namespace tamori::cart {

struct BinaryLoadResult {
  std::unique_ptr<Cartridge> cartridge;  // null when the file is not of the format
  bool future_version = false;           // the file is newer than this console
};

// The record carries the label read back from the picture.
BinaryLoadResult load_picture_cartridge(const std::string& path, const CartridgeHost& host);
BinaryLoadResult load_rom_cartridge(const std::string& path);

// 0 on success, non-zero on failure: for pictures 2 when the code does not
// fit; ROM files are written whole (image and code).
int save_picture_cartridge(const Cartridge& cartridge, const std::string& path, const CartridgeHost& host);
int save_rom_cartridge(const Cartridge& cartridge, const std::string& path, const CartridgeHost& host);

}  // namespace tamori::cart
