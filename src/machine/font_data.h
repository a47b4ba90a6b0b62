// The 2048-byte font layout shared by the built-in font and the custom font
// at 0x5600: a header (advances, height, offsets, flags, tab width), 4-bit
// per-glyph adjustments, and eight row bytes per glyph (bit k = column k).
#pragma once

#include <array>
#include <cstdint>

#include "host/pod.h"
#include "machine/machine_state.h"

namespace tamori::machine {

constexpr int kFontBytes = 2048;
constexpr uint32_t kCustomFontAddress = 0x5600;
using FontBytes = std::array<uint8_t, kFontBytes>;

// Font flags (header byte 5).
constexpr uint8_t kFontHasAdjustments = 0x01;
constexpr uint8_t kFontTabsFromHome = 0x02;

struct FontMetrics {
  int32_t width = 4;       // advance of codes below 128
  int32_t wide_width = 8;  // advance of codes 128 and above
  int32_t height = 6;      // line advance
  int32_t offset_x = 0;
  int32_t offset_y = 0;
  uint8_t flags = 0;
  int32_t tab_width = 16;
};

// The header of a font; widths and height of 0, 0, 0 read as 8, 8, 8 and a
// tab width of 0 as 16.
FontMetrics read_font_metrics(const FontBytes& font);

// Packs the console font (one image per code, non-zero pixels are ink) into
// the font layout with the built-in header: 4, 8, 6, offsets 0.
FontBytes build_builtin_font(const std::array<host::PodImage, 256>& glyphs);

// The custom font as memory holds it now.
FontBytes read_custom_font(const MachineState& state);

// The adjustment of glyph `code` when the font has them: a width change of
// -4..3 and whether the glyph is drawn one pixel higher.
struct GlyphAdjustment {
  int32_t width_change = 0;
  bool raised = false;
};
GlyphAdjustment glyph_adjustment(const FontBytes& font, uint8_t code);

}  // namespace tamori::machine
