// PNG cartridges (".tm.png"): the ROM image and a checksum hidden in the low
// bits of a 160 x 205 picture of a cartridge, written and read through the
// PNG codec.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "cart/cartridge.h"
#include "cart/cartridge_host.h"

namespace tamori::cart {

enum class PictureLoadStatus : int {
  loaded = 0,
  not_a_picture = 1,
  no_file = 2,
  future_version = 3,
  corrupted = 4,
  wrong_size = 5,
};

struct PictureLoadResult {
  std::unique_ptr<Cartridge> cartridge;  // null unless status is loaded
  PictureLoadStatus status = PictureLoadStatus::not_a_picture;
};

// Files larger than this are not taken for pictures: a cartridge picture is
// a few tens of kilobytes.
inline constexpr std::size_t kMaxPictureFileSize = std::size_t(16) << 20;

enum class PictureSaveStatus : int { saved = 0, not_written = 1, code_too_large = 2 };

// The PNG file bytes for a record in `png` when the status is saved.
PictureSaveStatus encode_picture_cartridge(const Cartridge& cartridge, const host::ConsoleData* data,
                                           std::vector<uint8_t>* png);

// Reads a cartridge from PNG file bytes. The record's label is read back
// from the picture. Messages ("future version: %d", "cartridge data is
// corrupted", "loading future cart version") go to the host.
PictureLoadResult read_picture_cartridge(std::span<const uint8_t> file, const CartridgeHost& host);
PictureLoadResult load_picture_file(const std::string& path, const CartridgeHost& host);

// Prints "could not compress code" when the code does not fit.
PictureSaveStatus save_picture_file(const Cartridge& cartridge, const std::string& path, const CartridgeHost& host);

}  // namespace tamori::cart
