#include "machine/palette_functions.h"

#include "machine/memory.h"

namespace tamori::machine {

namespace {

constexpr uint8_t kTransparentBit = 0x10;
constexpr int64_t kCyclesPerEntry = 2;
constexpr uint32_t kDrawPaletteAddress = 0x5f00;
constexpr uint32_t kScreenPaletteAddress = 0x5f10;
constexpr uint32_t kSecondaryPaletteAddress = 0x5f60;

uint32_t palette_address(int32_t palette, int32_t colour) {
  uint32_t base = palette == kDrawPalette     ? kDrawPaletteAddress
                  : palette == kScreenPalette ? kScreenPaletteAddress
                                              : kSecondaryPaletteAddress;
  return base + (static_cast<uint32_t>(colour) & 15);
}

bool is_palette_number(int32_t palette) { return palette >= kDrawPalette && palette <= kSecondaryPalette; }

// Stores one entry: a draw-palette colour keeps its transparency bit, the
// other palettes take the value's low 8 bits (a screen entry of 128 or more
// selects an extra colour and starts the flicker).
void set_palette_entry(MachineState& state, int32_t palette, int32_t colour, int32_t value) {
  uint32_t address = palette_address(palette, colour);
  uint32_t bits = static_cast<uint32_t>(value);
  if (palette == kDrawPalette)
    write_memory_byte(state, address, (read_memory_byte(state, address) & kTransparentBit) | (bits & 15));
  else
    write_memory_byte(state, address, bits & 0xff);
}

void reset_palette(MachineState& state, int32_t palette) {
  for (uint32_t c = 0; c < 16; ++c) {
    uint32_t value = c;
    if (palette == kDrawPalette && c == 0) value = kTransparentBit;
    if (palette == kSecondaryPalette) value = kDefaultSecondaryPalette[c];
    write_memory_byte(state, palette_address(palette, static_cast<int32_t>(c)), value);
  }
}

int32_t transparency_bits(const MachineState& state) {
  uint32_t bits = 0;
  for (int c = 0; c < 16; ++c)
    if (state.registers.draw_palette[c] & kTransparentBit) bits |= 0x8000u >> c;
  return static_cast<int16_t>(bits);
}

void set_transparency(MachineState& state, int32_t colour, bool transparent) {
  uint32_t address = palette_address(kDrawPalette, colour);
  uint32_t value = read_memory_byte(state, address) & ~static_cast<uint32_t>(kTransparentBit);
  write_memory_byte(state, address, transparent ? value | kTransparentBit : value);
}

}  // namespace

int64_t pal_table(MachineState& state, std::span<const std::pair<int32_t, int32_t>> entries,
                  std::optional<int32_t> palette) {
  int32_t which = palette.value_or(kDrawPalette);
  if (!is_palette_number(which)) return 0;
  for (const auto& [colour, value] : entries) set_palette_entry(state, which, colour, value);
  return kCyclesPerEntry * static_cast<int64_t>(entries.size());
}

PaletteResult pal_set(MachineState& state, int32_t c0, int32_t c1, std::optional<int32_t> palette) {
  int32_t which = palette.value_or(kDrawPalette);
  if (!is_palette_number(which)) return {0, 0};
  uint32_t previous = read_memory_byte(state, palette_address(which, c0));
  if (which == kDrawPalette) previous &= ~static_cast<uint32_t>(kTransparentBit);
  set_palette_entry(state, which, c0, c1);
  return {static_cast<int32_t>(previous), kCyclesPerEntry};
}

int64_t pal_reset(MachineState& state, std::optional<int32_t> palette) {
  int32_t which = palette.value_or(kAllPalettes);
  if (which == kAllPalettes) {
    for (int32_t p = kDrawPalette; p <= kSecondaryPalette; ++p) reset_palette(state, p);
    return 3 * 16 * kCyclesPerEntry;
  }
  if (!is_palette_number(which)) return 0;
  reset_palette(state, which);
  return 16 * kCyclesPerEntry;
}

PaletteResult palt_bits(MachineState& state, int32_t bits) {
  int32_t previous = transparency_bits(state);
  for (int32_t c = 0; c < 16; ++c) set_transparency(state, c, (static_cast<uint32_t>(bits) & (0x8000u >> c)) != 0);
  return {previous, kCyclesPerEntry};
}

bool palt_set(MachineState& state, int32_t c, bool transparent) {
  bool previous = (state.registers.draw_palette[c & 15] & kTransparentBit) != 0;
  set_transparency(state, c, transparent);
  return previous;
}

int32_t palt_reset(MachineState& state) {
  int32_t previous = transparency_bits(state);
  for (int32_t c = 0; c < 16; ++c) set_transparency(state, c, c == 0);
  return previous;
}

}  // namespace tamori::machine
