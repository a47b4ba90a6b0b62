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

// The stepping of a sloped line: point k is pixel
// ((start_x + k * step_x) >> 16, (start_y + k * step_y) >> 16), and the
// points first..last are the ones inside the clip rectangle (none when
// first > last). The line always runs from its upper end point.
struct SlopedLineSteps {
  bool reversed = false;  // runs from (x1, y1) to (x0, y0)
  int64_t steps = 0;      // max(|dx|, |dy|)
  int64_t start_x = 0, start_y = 0;
  int64_t step_x = 0, step_y = 0;
  int64_t first = 0, last = -1;
};

SlopedLineSteps clip_sloped_line(const PixelPage& page, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Steps from (x0, y0) to (x1, y1) whatever the slope (a level or upright line
// is a sloped line with one step zero). Returns the points drawn.
int64_t draw_sloped_line(const PixelWriter& writer, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Draws the line as upright when x0 and x1 agree in their low 16 bits, else
// level when y0 and y1 do, else sloped.
LineWork draw_line(const PixelWriter& writer, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

}  // namespace tamori::machine
