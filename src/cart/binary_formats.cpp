#include "cart/binary_formats.h"

#include "cart/rom_file.h"

namespace tamori::cart {

BinaryLoadResult load_picture_cartridge(const std::string& path, const CartridgeHost& host) {
  PictureLoadResult picture = load_picture_file(path, host);
  BinaryLoadResult result;
  result.cartridge = std::move(picture.cartridge);
  result.future_version = picture.status == PictureLoadStatus::future_version;
  return result;
}

BinaryLoadResult load_rom_cartridge(const std::string& path) {
  BinaryLoadResult result;
  result.cartridge = load_rom_file(path);
  return result;
}

int save_picture_cartridge(const Cartridge& cartridge, const std::string& path, const CartridgeHost& host) {
  return static_cast<int>(save_picture_file(cartridge, path, host));
}

int save_rom_cartridge(const Cartridge& cartridge, const std::string& path, const CartridgeHost& host) {
  return save_rom_file(cartridge, path, false, host);
}

}  // namespace tamori::cart
