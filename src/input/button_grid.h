// The 8 x 8 button grid of players 0..7 with buttons 0..7 (left, right, up,
// down, O, X, pause, spare), index = player * 8 + button.
#pragma once

#include <cstdint>

namespace tamori::input {

inline constexpr int kGridSize = 64;

struct ButtonGrid {
  int32_t down[kGridSize] = {};            // held this tick
  int32_t last_down[kGridSize] = {};       // `down` at the previous update
  int32_t blocked[kGridSize] = {};         // reads as up until released
  int32_t pressed[kGridSize] = {};         // pressed this tick, or an auto-repeat is due
  int32_t repeat_counter[kGridSize] = {};  // ticks until the next auto-repeat; 0 when idle
};

inline int grid_index(int player, int button) { return player * 8 + button; }

}  // namespace tamori::input
