// Single-byte access to the address space, and the resets of the draw and
// hardware state at run start and at program stop.
#pragma once

#include <cstdint>

#include "machine/machine_state.h"

namespace tamori::machine {

// Reads the byte at `address` (taken modulo 65536) of the live memory.
uint8_t read_memory_byte(const MachineState& state, uint32_t address);

// Writes the low 8 bits of `value` at `address` (modulo 65536): stores the
// shadow byte, then updates the region's own form and performs the register
// side effects.
void write_memory_byte(MachineState& state, uint32_t address, uint32_t value);

// The same two on a cartridge ROM image of 0x4300 bytes: reads above it
// return 0, writes above it are ignored.
uint8_t read_rom_image_byte(const uint8_t* rom_image, uint32_t address);
void write_rom_image_byte(uint8_t* rom_image, uint32_t address, uint32_t value);

// Copies a 0x4300-byte cartridge image into the bottom of the live memory,
// and back.
void load_rom_image_into_memory(MachineState& state, const uint8_t* rom_image);
void copy_memory_to_rom_image(const MachineState& state, uint8_t* rom_image);

// Map cells: the memory address of cell (x, y) under the current map
// geometry, or -1 outside the map. Reading gives the map byte (the map grid
// itself for maps below upper memory); writing goes through write_memory_byte.
int32_t map_cell_address(const MachineState& state, int x, int y);
uint8_t read_map_cell(const MachineState& state, int x, int y);
void write_map_cell(MachineState& state, int x, int y, uint8_t value);

// Run-start (and `reset`) reset of 0x5f00..0x5f7f: keeps the random state,
// the print cursor and 0x5f37; ends video use of every upper block; sets
// the draw defaults (palettes, clip, pen 6, masks 0xff, camera, line end,
// screen mode, fill pattern). The print context is reset by the text code.
void reset_memory_for_run(MachineState& state);

// Resets at program stop, keyed by the keep-on-stop flags in 0x5f2e (only
// for a cartridge program: a command keeps what it set); always resets the
// camera, clip, display 0, print home x and cursor x, and clamps cursor y
// to 0..122.
void reset_memory_on_stop(MachineState& state, bool cartridge_program = true);

// Default secondary palette (0x5f60..0x5f6f).
extern const uint8_t kDefaultSecondaryPalette[16];

}  // namespace tamori::machine
