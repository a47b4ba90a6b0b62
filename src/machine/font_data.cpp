#include "machine/font_data.h"

#include <algorithm>

#include "machine/memory.h"

namespace tamori::machine {

FontMetrics read_font_metrics(const FontBytes& font) {
  FontMetrics metrics;
  metrics.width = font[0];
  metrics.wide_width = font[1];
  metrics.height = font[2];
  if (metrics.width == 0 && metrics.wide_width == 0 && metrics.height == 0)
    metrics.width = metrics.wide_width = metrics.height = 8;
  metrics.offset_x = font[3];
  metrics.offset_y = font[4];
  metrics.flags = font[5];
  metrics.tab_width = font[6] == 0 ? 16 : font[6];
  return metrics;
}

FontBytes build_builtin_font(const std::array<host::PodImage, 256>& glyphs) {
  FontBytes font{};
  font[0] = 4;
  font[1] = 8;
  font[2] = 6;
  for (int code = 16; code < 256; ++code) {
    const host::PodImage& glyph = glyphs[static_cast<size_t>(code)];
    int rows = std::min(glyph.height, 8);
    int columns = std::min(glyph.width, 8);
    if (glyph.pixels.size() < static_cast<size_t>(glyph.width) * static_cast<size_t>(glyph.height)) continue;
    for (int row = 0; row < rows; ++row) {
      uint8_t bits = 0;
      for (int column = 0; column < columns; ++column)
        if (glyph.pixels[static_cast<size_t>(row * glyph.width + column)] != 0) bits |= static_cast<uint8_t>(1 << column);
      font[static_cast<size_t>(8 * code + row)] = bits;
    }
  }
  return font;
}

FontBytes read_custom_font(const MachineState& state) {
  FontBytes font{};
  for (uint32_t i = 0; i < kFontBytes; ++i) font[i] = read_memory_byte(state, kCustomFontAddress + i);
  return font;
}

GlyphAdjustment glyph_adjustment(const FontBytes& font, uint8_t code) {
  GlyphAdjustment adjustment;
  if (!(font[5] & kFontHasAdjustments) || code < 16) return adjustment;
  uint8_t nibble = (code & 1) ? font[code / 2] >> 4 : font[code / 2] & 15;
  int32_t change = nibble & 7;
  adjustment.width_change = change >= 4 ? change - 8 : change;
  adjustment.raised = (nibble & 8) != 0;
  return adjustment;
}

}  // namespace tamori::machine
