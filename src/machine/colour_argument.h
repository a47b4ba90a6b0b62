// Colour arguments of the drawing functions: a colour argument sets the pen
// colour, may carry a fill pattern and the inverted-fill bit, and is mapped
// through the draw palette (or the secondary palette) into the pair of
// colours that the pattern chooses between.
#pragma once

#include <cstdint>
#include <optional>

#include "machine/machine_state.h"

namespace tamori::machine {

// A cartridge number argument as its raw 16.16 bits, or nullopt when the
// call did not pass it.
using NumberArgument = std::optional<int32_t>;

// Fill-pattern flags above the 16 pattern bits of DrawStateRegisters::fill_pattern.
constexpr uint32_t kFillPatternTransparent = 1u << 16;
constexpr uint32_t kFillPatternForSprites = 1u << 17;
constexpr uint32_t kFillPatternSecondaryPalette = 1u << 18;

// Flags of 0x5f34.
constexpr uint8_t kColourArgumentCarriesPattern = 0x01;
constexpr uint8_t kColourArgumentCarriesInvertedFill = 0x02;

// What one drawing call draws with.
struct DrawColour {
  uint8_t colour_pair = 0;           // low nibble where the pattern bit is 0, high nibble where it is 1
  uint16_t pattern = 0;              // bit 15 - 4 * (y mod 4) - (x mod 4) for pixel (x, y)
  bool pattern_transparent = false;  // pattern bit 1 leaves the pixel untouched
  bool inverted_fill = false;        // filled shapes fill everything outside the shape
};

// Decodes a colour argument: without one the pen colour is used; with one
// its low 8 integer bits become the pen colour and, when 0x5f34 allows it and
// integer bit 0x1000 is set, its fraction becomes the fill pattern (flags
// from integer bits 0x100, 0x200, 0x400) and bit 0x800 the inverted fill.
DrawColour decode_colour_argument(MachineState& state, NumberArgument colour);

}  // namespace tamori::machine
