#include "shell/cpu_spinner.h"

#include <cstddef>

namespace tamori::shell {
namespace {

constexpr int kLeft = 3, kRight = 9, kTop = 3, kBottom = 11;
constexpr uint8_t kDotColours[3] = {7, 12, 14};

// A small hash of position and frame: the dots change every frame without
// any state.
uint32_t mix(uint32_t value) {
  value ^= value >> 16;
  value *= 0x7feb352du;
  value ^= value >> 15;
  value *= 0x846ca68bu;
  return value ^ (value >> 16);
}

}  // namespace

bool cpu_spinner_shown(const SpinnerConditions& conditions) {
  return conditions.program_running && conditions.program_draws &&
         conditions.elapsed_ticks >= kSpinnerEarliestTicks && conditions.load_since_flip > kSpinnerLoad;
}

void draw_cpu_spinner(machine::Picture& picture, uint32_t frame) {
  for (int y = kTop; y <= kBottom; y++) {
    for (int x = kLeft; x <= kRight; x++) {
      uint32_t noise = mix(uint32_t(y * 16 + x) ^ (frame * 0x9e3779b9u));
      if (noise % 3 != 0) continue;
      picture[size_t(y * machine::kScreenSide + x)] = kDotColours[(noise >> 8) % 3];
    }
  }
}

}  // namespace tamori::shell
