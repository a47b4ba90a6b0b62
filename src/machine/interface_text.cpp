#include "machine/interface_text.h"

#include <algorithm>

namespace tamori::machine {

void canvas_fill_rect(Canvas canvas, int x0, int y0, int x1, int y1, uint8_t colour) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, canvas.width - 1);
  y1 = std::min(y1, canvas.height - 1);
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++) canvas.pixels[size_t(y) * canvas.width + x] = colour;
}

int draw_interface_text(Canvas canvas, const Font& font, std::string_view text, int x, int y, uint8_t colour) {
  for (unsigned char code : text) {
    const host::PodImage& glyph = font[code];
    const int advance = code < 128 ? 4 : 8;
    for (int gy = 0; gy < glyph.height; gy++) {
      int py = y + gy;
      if (py < 0 || py >= canvas.height) continue;
      for (int gx = 0; gx < glyph.width; gx++) {
        int px = x + gx;
        if (px < 0 || px >= canvas.width) continue;
        if (glyph.pixels[size_t(gy) * glyph.width + gx]) canvas.pixels[size_t(py) * canvas.width + px] = colour;
      }
    }
    x += advance;
  }
  return x;
}

void draw_interface_image(Canvas canvas, const host::PodImage& image, int x, int y) {
  if (image.pixels.size() < size_t(image.width) * size_t(image.height)) return;
  for (int iy = 0; iy < image.height; iy++) {
    const int py = y + iy;
    if (py < 0 || py >= canvas.height) continue;
    for (int ix = 0; ix < image.width; ix++) {
      const int px = x + ix;
      const uint8_t colour = image.pixels[size_t(iy) * image.width + ix];
      if (px >= 0 && px < canvas.width && colour != 0) canvas.pixels[size_t(py) * canvas.width + px] = colour;
    }
  }
}

}  // namespace tamori::machine
