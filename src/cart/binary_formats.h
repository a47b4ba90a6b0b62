// The entry points of the binary cartridge formats: the cartridge picture
// (".tm.png") and the raw ROM image (".tm.rom"). This build does not read or
// write them yet; the loaders report "not a cartridge" and the savers fail,
// so callers already go through the right path for each format.
#pragma once

#include <memory>
#include <string>

#include "cart/cartridge.h"
#include "cart/text_reader.h"

namespace tamori::cart {

struct BinaryLoadResult {
  std::unique_ptr<Cartridge> cartridge;  // null when the file is not of the format
  bool future_version = false;           // the file is newer than this console
};

BinaryLoadResult load_picture_cartridge(const std::string& path, const TextLoadOptions& options);
BinaryLoadResult load_rom_cartridge(const std::string& path);

// 0 on success, non-zero on failure.
int save_picture_cartridge(const Cartridge& cartridge, const std::string& path);
int save_rom_cartridge(const Cartridge& cartridge, const std::string& path);

}  // namespace tamori::cart
