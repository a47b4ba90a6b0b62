// ROM cartridge files (".tm.rom"): the 32 KB image as it is, or its
// compressed code alone; and the code as a hex dump on the clipboard.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "cart/cartridge.h"
#include "cart/cartridge_host.h"

namespace tamori::cart {

// A record from ROM file bytes: shorter files are padded with zeros, and a
// file of at most 15616 bytes is taken for the code area alone. Bytes past
// the image are ignored.
std::unique_ptr<Cartridge> read_rom_cartridge(std::span<const uint8_t> file);
// Null when the file cannot be read.
std::unique_ptr<Cartridge> load_rom_file(const std::string& path);

// The compressed code as "%02x" per byte, a newline after every 32 bytes.
std::string code_hex_dump(std::span<const uint8_t> stored_code);

// Writes the whole image, or with `code_only` the stored code alone; a path
// containing "@clip" puts the hex dump of the stored code on the clipboard
// instead. 0 on success, 1 when the code cannot be stored or the file not
// written.
int save_rom_file(const Cartridge& cartridge, const std::string& path, bool code_only, const CartridgeHost& host);

}  // namespace tamori::cart
