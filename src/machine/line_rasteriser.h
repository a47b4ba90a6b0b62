// Lines between two points already moved by the camera: level and upright
// lines as clamped spans, sloped lines stepped in 16.16 fixed point with the
// first and last steps computed from the clip rectangle.
#pragma once

#include <cstdint>

#include "machine/pixel_writer.h"

namespace tamori::machine {

struct LineWork {
  int64_t work = 0;     // points written or attempted
  bool sloped = false;  // charged at work/2 when sloped, work/16 otherwise
};

// Steps from (x0, y0) to (x1, y1) whatever the slope (a level or upright line
// is a sloped line with one step zero). Returns the points drawn.
int64_t draw_sloped_line(const PixelWriter& writer, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Draws the line as upright when x0 and x1 agree in their low 16 bits, else
// level when y0 and y1 do, else sloped.
LineWork draw_line(const PixelWriter& writer, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

}  // namespace tamori::machine
