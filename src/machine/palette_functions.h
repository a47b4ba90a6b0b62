// The cartridge functions `pal` and `palt` over the draw palette
// (0x5f00..0x5f0f, bit 4 = transparent), the screen palette (0x5f10) and
// the secondary palette (0x5f60). Values are integer parts.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>

#include "machine/machine_state.h"

namespace tamori::machine {

// Which palette pal changes: 0 draw, 1 screen, 2 secondary.
constexpr int32_t kDrawPalette = 0;
constexpr int32_t kScreenPalette = 1;
constexpr int32_t kSecondaryPalette = 2;
// pal(-1) and pal() reset all three.
constexpr int32_t kAllPalettes = -1;

struct PaletteResult {
  int32_t previous = 0;
  int64_t cycles = 0;
};

// pal(tbl, [p]): one (key, value) pair for each table entry with a number
// key. Returns the cycles (2 per entry).
int64_t pal_table(MachineState& state, std::span<const std::pair<int32_t, int32_t>> entries,
                  std::optional<int32_t> palette);

// pal(c0, c1, [p]): maps c0 to c1 and returns the previous value (for the
// draw palette without the transparency bit); other palettes than 0..2
// change nothing and return 0.
PaletteResult pal_set(MachineState& state, int32_t c0, int32_t c1, std::optional<int32_t> palette);

// pal(p) and pal() (nullopt, also for a non-number argument): reset
// palette p, or all three for -1 or no argument; other numbers do nothing.
// Returns the cycles.
int64_t pal_reset(MachineState& state, std::optional<int32_t> palette);

// palt(bits): colour i becomes transparent when bit 15 - i is set. Returns
// the previous bits as a signed 16-bit value, and 2 cycles.
PaletteResult palt_bits(MachineState& state, int32_t bits);

// palt(c, t): sets colour c's transparency; returns the previous setting.
bool palt_set(MachineState& state, int32_t c, bool transparent);

// palt(): only colour 0 transparent; returns the previous bits.
int32_t palt_reset(MachineState& state);

}  // namespace tamori::machine
