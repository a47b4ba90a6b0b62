// The console's own text (console text screen, exit bar, message bar, pause
// menu): the built-in font drawn onto an 8-bit canvas, one colour, no
// control codes; and the data file's interface images drawn the same way.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "host/pod.h"

namespace tamori::machine {

using Font = std::array<host::PodImage, 256>;

struct Canvas {
  uint8_t* pixels = nullptr;
  int width = 0, height = 0;
};

void canvas_fill_rect(Canvas canvas, int x0, int y0, int x1, int y1, uint8_t colour);  // inclusive corners
// Draws tmscii text; narrow glyphs advance 4 pixels, wide ones 8. Returns the
// x after the last glyph.
int draw_interface_text(Canvas canvas, const Font& font, std::string_view text, int x, int y, uint8_t colour);
// Draws an interface image with its top-left at (x, y); colour 0 is clear.
void draw_interface_image(Canvas canvas, const host::PodImage& image, int x, int y);

}  // namespace tamori::machine
