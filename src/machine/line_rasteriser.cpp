#include "machine/line_rasteriser.h"

#include <algorithm>
#include <cstdlib>

namespace tamori::machine {

namespace {

constexpr int64_t kOne = 65536;
constexpr int64_t kHalf = 0x8000;

bool same_16_bits(int32_t a, int32_t b) { return static_cast<uint16_t>(a) == static_cast<uint16_t>(b); }

// Step index where a position reaches a clip edge: the quotient in 16.16,
// truncated, then floored to whole steps.
int64_t steps_to_edge(int64_t distance, int64_t step) { return ((distance * kOne) / step) >> 16; }

}  // namespace

SlopedLineSteps clip_sloped_line(const PixelPage& page, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  SlopedLineSteps line;
  // Start from the upper point so that both directions draw the same pixels.
  line.reversed = y0 > y1;
  int64_t start_x = line.reversed ? x1 : x0;
  int64_t start_y = line.reversed ? y1 : y0;
  int64_t end_x = line.reversed ? x0 : x1;
  int64_t end_y = line.reversed ? y0 : y1;

  int64_t dx = end_x - start_x;
  int64_t dy = end_y - start_y;
  int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
  line.steps = steps;
  line.step_x = steps == 0 ? 0 : dx * kOne / steps;
  line.step_y = steps == 0 ? 0 : dy * kOne / steps;
  int64_t position_x = start_x * kOne + kHalf;
  int64_t position_y = start_y * kOne + kHalf;
  line.start_x = position_x;
  line.start_y = position_y;

  int64_t clip_x0 = page.clip_x0, clip_y0 = page.clip_y0, clip_x1 = page.clip_x1, clip_y1 = page.clip_y1;
  if (end_y < clip_y0 || start_y >= clip_y1) return line;
  if (start_x < clip_x0 && end_x < clip_x0) return line;
  if (start_x >= clip_x1 && end_x >= clip_x1) return line;

  // The tests above guarantee a nonzero step wherever a division happens.
  int64_t first = 0;
  int64_t last = steps;
  int64_t step_x = line.step_x, step_y = line.step_y;
  if (start_y < clip_y0) first = std::max<int64_t>(0, steps_to_edge(clip_y0 * kOne - position_y, step_y) + 1);
  if (end_y >= clip_y1) last = std::min(last, steps_to_edge(clip_y1 * kOne - position_y - 1, step_y));
  if (start_x < clip_x0) first = std::max(first, steps_to_edge(clip_x0 * kOne - position_x, step_x) + 1);
  if (start_x >= clip_x1) first = std::max(first, steps_to_edge(position_x - clip_x1 * kOne, -step_x) + 1);
  if (end_x < clip_x0) last = std::min(last, steps_to_edge(position_x - clip_x0 * kOne - 1, -step_x));
  if (end_x >= clip_x1) last = std::min(last, steps_to_edge(clip_x1 * kOne - position_x - 1, step_x));
  line.first = first;
  line.last = last;
  return line;
}

int64_t draw_sloped_line(const PixelWriter& writer, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  SlopedLineSteps line = clip_sloped_line(*writer.target, x0, y0, x1, y1);
  if (line.first > line.last) return 0;
  // write_pixel keeps its clip test as a guard; the computed range already
  // lies inside the clip rectangle.
  for (int64_t k = line.first; k <= line.last; ++k) {
    int64_t x = (line.start_x + k * line.step_x) >> 16;
    int64_t y = (line.start_y + k * line.step_y) >> 16;
    write_pixel(writer, static_cast<int32_t>(x), static_cast<int32_t>(y));
  }
  return line.last - line.first + 1;
}

LineWork draw_line(const PixelWriter& writer, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  LineWork result;
  if (same_16_bits(x0, x1)) {
    result.work = write_column_span(writer, x0, std::min(y0, y1), std::max(y0, y1));
  } else if (same_16_bits(y0, y1)) {
    result.work = write_row_span(writer, y0, std::min(x0, x1), std::max(x0, x1));
  } else {
    result.work = draw_sloped_line(writer, x0, y0, x1, y1);
    result.sloped = true;
  }
  return result;
}

}  // namespace tamori::machine
