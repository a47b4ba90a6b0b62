// The cartridge functions `spr` and `sspr`: sprite-sheet blocks drawn whole,
// flipped or stretched into the draw target with the sprite colour rule.
// Positions and sizes in pixels are integer parts of 16.16 numbers; `spr`'s
// size in sprites keeps its fraction. Each returns the CPU cycles to charge.
#pragma once

#include <cstdint>
#include <optional>

#include "machine/colour_argument.h"
#include "machine/machine_state.h"

namespace tamori::machine {

// spr(n, x, y, [w, h], [flip_x], [flip_y]): sprite n (0..255) and the
// sprites right of and below it, w x h sprites (raw 16.16, so 0.5 is four
// pixels). A missing w draws one sprite; a missing h with a w counts as 0.
// The binding passes the flips only when six or more arguments were given.
int64_t spr(MachineState& state, int32_t n, int32_t x, int32_t y, NumberArgument w, NumberArgument h, bool flip_x,
            bool flip_y);

// sspr(sx, sy, sw, sh, dx, dy, [dw, dh], [flip_x], [flip_y]): the sprite
// source rectangle (sw and sh 1..128) drawn into dw x dh pixels at (dx, dy).
// A missing dw means (sw, sh); a missing dh with a dw counts as 0. Negative
// sizes mirror the picture and place it left of or above (dx, dy).
int64_t sspr(MachineState& state, int32_t sx, int32_t sy, int32_t sw, int32_t sh, int32_t dx, int32_t dy,
             std::optional<int32_t> dw, std::optional<int32_t> dh, bool flip_x, bool flip_y);

}  // namespace tamori::machine
