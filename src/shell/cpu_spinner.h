// The CPU spinner: a few flickering dots in the top-left corner that tell
// the player a drawing program is still busy with a frame that has taken
// far longer than its budget.
#pragma once

#include <cstdint>

#include "machine/display.h"

namespace tamori::shell {

inline constexpr int32_t kSpinnerLoad = 0x77ffff;        // about 120 frames' budget since the last flip
inline constexpr int32_t kSpinnerEarliestTicks = 240;    // not during the first four seconds

struct SpinnerConditions {
  bool program_running = false;
  bool program_draws = false;   // its text has " _draw"
  int32_t elapsed_ticks = 0;
  int32_t load_since_flip = 0;  // 16.16 fraction of a frame's budget
};

bool cpu_spinner_shown(const SpinnerConditions& conditions);

// Dots of colours 7, 12 and 14 at x 3..9, y 3..11, changing with the frame.
void draw_cpu_spinner(machine::Picture& picture, uint32_t frame);

}  // namespace tamori::shell
