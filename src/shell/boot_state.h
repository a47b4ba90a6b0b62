// What the boot sequence remembers between its ticks (Console::boot).
#pragma once

#include <cstdint>

namespace tamori::shell {

// The boot timeline runs from this frame; frame_counter counts it.
inline constexpr int32_t kBootFirstFrame = -15;
// At frame 33, with the volume at 0, the timeline waits this many ticks
// while the boot cursor steps along the line instead of the boot sound.
inline constexpr int kBootCursorHoldTicks = 20;

struct BootState {
  uint8_t print_colour = 7;
  int cursor_hold_ticks = 0;  // ticks of the frame-33 hold done so far
  bool cart_loaded = false;   // the command line's cartridge loaded at frame 36
  bool run_requested = false; // -run (or a run parameter) asked to run it
  bool shared_link_cart = false;
  bool into_browser = false;
  bool head_cart_missing = false;
};

}  // namespace tamori::shell
