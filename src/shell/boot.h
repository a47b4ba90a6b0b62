// The boot sequence: the short timed animation and text the console shows
// at start-up and after a reboot, ending in the cartridge named on the
// command line or the data file's head cartridge.
#pragma once

#include "shell/console_state.h"

namespace tamori::shell {

// Starts the boot sequence: booting mode from frame kBootFirstFrame, a
// fresh language state, a clear screen, no sound.
void boot_init(Console& console);
// Advances the boot sequence by one tick at the current frame_counter.
void move_boot(Console& console);
// -url_code / -url_gfx: the working cartridge built from a share address's
// parts, to run at the boot's frame 76 instead of the head cartridge.
void start_shared_link_cartridge(Console& console);
// The reboot action: a fresh working cartridge, the current folder back at
// the root, then the boot sequence again.
void reboot_machine(Console& console);

// The boot sound: effect 0 of the data file's boot cartridge (item 0).
void load_boot_sound(Console& console);

// Where the boot cursor (the 7 x 5 picture) stands `tick` ticks into the
// frame-33 hold, relative to the line it steps along.
struct BootCursorStep {
  int x;
  int dy;
};
BootCursorStep boot_cursor_step(int tick);

}  // namespace tamori::shell
