// The byte view of a cartridge record: addresses 0x0000..0x42ff laid out as
// they appear at the bottom of the console's memory (sprites two pixels a
// byte, low nibble first; map rows 0..31; sprite flags; music; effects).
#pragma once

#include <cstdint>

#include "cart/cartridge.h"

namespace tamori::cart {

// Reading outside 0x0000..0x42ff gives 0; writing there does nothing.
// Addresses 0x1000..0x1fff read the sprite pixels and write both the sprite
// pixels and map rows 32..63.
uint8_t read_cartridge_byte(const Cartridge& cartridge, uint32_t address);
void write_cartridge_byte(Cartridge& cartridge, uint32_t address, uint8_t value);

// Whole 0x4300-byte images.
void copy_cartridge_to_rom(const Cartridge& cartridge, uint8_t* rom);
void copy_rom_to_cartridge(const uint8_t* rom, Cartridge& cartridge);

// Copies map rows 32..63 over sprite rows 64..127 when any of those cells is
// non-zero, else the sprite rows over the map rows.
void reconcile_shared_region(Cartridge& cartridge);

}  // namespace tamori::cart
