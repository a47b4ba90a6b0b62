// Layout of the address space: the page-format table, which pixel pages the
// draw target and sprite source are, the upper-memory video blocks and the
// map geometry.
#pragma once

#include "machine/machine_state.h"

namespace tamori::machine {

// Power-on state: every region cleared (sound records as in a new
// cartridge), the page-format table at its start values and the registers
// reset as at the start of a run.
void init_machine_state(MachineState& state);

// Rewrites the 32 page codes of each upper block: 4 + k while block k is in
// video use, 10 otherwise.
void update_mem_section_formats(MachineState& state);

// Switches upper block `block` (0..3) into or out of video use. Switching on
// unpacks its 8192 bytes into the block's pixel page (low nibble first);
// switching off packs the pixels back. A block cannot be switched on while
// the map lies in upper memory below the block's end. Returns true when the
// block ends in the requested mode. A change costs 1024 CPU cycles, added to
// pending_cpu_cycles.
bool set_high_vidmem_mode(MachineState& state, int block, bool on);

// For a mapping value 0x80/0xa0/0xc0/0xe0, switches that block into video use
// and returns its page; returns null for other values or when the block
// cannot be switched on (the caller then uses its default page).
PixelPage* select_video_memory(MachineState& state, int mapping_value);

// Selects display page `display` (clamped to 0..3) and re-resolves the draw
// target (0x5f55) and sprite source (0x5f54); the clip registers are applied
// to the new draw target.
void set_draw_display(MachineState& state, int display);

// Applies the clip registers 0x5f20..0x5f23 to the draw target.
void update_gfx_clipping(MachineState& state);

// Recomputes the map geometry from 0x5f56/0x5f57, forces out of video use any
// upper block the map now overlaps, then re-runs set_draw_display.
void update_map_mapping(MachineState& state);

// True when the map lies in upper memory at an address below the end of
// upper block `block`.
bool map_blocks_upper_block(const MachineState& state, int block);

}  // namespace tamori::machine
