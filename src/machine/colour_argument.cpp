#include "machine/colour_argument.h"

#include "machine/memory.h"

namespace tamori::machine {

namespace {

constexpr uint32_t kCarriesPatternBit = 0x1000;
constexpr uint32_t kInvertedFillBit = 0x800;

// Takes the pattern and its flags from a colour argument's raw bits into the
// fill-pattern register.
void store_pattern_from_colour(MachineState& state, uint32_t bits) {
  uint32_t integer_part = bits >> 16;
  uint32_t pattern = bits & 0xffff;
  if (integer_part & 0x100) pattern |= kFillPatternTransparent;
  if (integer_part & 0x200) pattern |= kFillPatternForSprites;
  if (integer_part & 0x400) pattern |= kFillPatternSecondaryPalette;
  for (uint32_t i = 0; i < 3; ++i) write_memory_byte(state, 0x5f31 + i, pattern >> (8 * i));
}

}  // namespace

DrawColour decode_colour_argument(MachineState& state, NumberArgument colour) {
  DrawColour result;
  DrawStateRegisters& registers = state.registers;
  if (colour) {
    uint32_t bits = static_cast<uint32_t>(*colour);
    uint32_t integer_part = bits >> 16;
    write_memory_byte(state, 0x5f25, integer_part & 0xff);
    if (integer_part & kCarriesPatternBit) {
      if (registers.colour_argument_flags & kColourArgumentCarriesPattern) store_pattern_from_colour(state, bits);
      if (registers.colour_argument_flags & kColourArgumentCarriesInvertedFill)
        result.inverted_fill = (integer_part & kInvertedFillBit) != 0;
    }
  }
  uint8_t pen = registers.pen_colour;
  uint8_t primary = registers.draw_palette[pen & 15] & 15;
  if (registers.fill_pattern & kFillPatternSecondaryPalette)
    result.colour_pair = registers.secondary_palette[primary];
  else
    result.colour_pair = static_cast<uint8_t>(primary | ((registers.draw_palette[pen >> 4] & 15) << 4));
  result.pattern = static_cast<uint16_t>(registers.fill_pattern & 0xffff);
  result.pattern_transparent = (registers.fill_pattern & kFillPatternTransparent) != 0;
  return result;
}

}  // namespace tamori::machine
