#include "machine/ellipse_rasteriser.h"

namespace tamori::machine {

namespace {

// Steps one quadrant from the top (x = 0, y = ry) towards the side
// (x = rx, y = 0). The error term tracks the distance from the ideal curve;
// on_step(x, y, vertical) sees each position before it moves, and whether
// the move goes down a row.
template <typename StepFunction>
void step_ellipse(const EllipseShape& shape, StepFunction&& on_step) {
  int64_t radius_x = shape.radius_x;
  int64_t radius_y = shape.radius_y;
  if (radius_x < 0 || radius_y < 0) return;
  int64_t radius_x_squared = radius_x * radius_x;
  int64_t radius_y_squared = radius_y * radius_y;
  int64_t vertical_threshold = radius_y % 2 + radius_y_squared / 4;
  int64_t horizontal_threshold = -(radius_x % 2 + radius_x_squared / 4 + radius_y_squared);
  int64_t x = 0;
  int64_t y = radius_y;
  int64_t error_step_x = 0;
  int64_t error_step_y = -2 * radius_x_squared * radius_y;
  int64_t error = -radius_x_squared * radius_y;
  while (y >= 0 && x <= radius_x) {
    bool vertical =
        horizontal_threshold < x * radius_y_squared + error && -vertical_threshold < y * radius_x_squared + error;
    on_step(static_cast<int32_t>(x), static_cast<int32_t>(y), vertical);
    if (vertical) {
      if (error - y * radius_x_squared <= -(radius_x_squared + vertical_threshold)) {
        ++x;
        error_step_x += 2 * radius_y_squared;
        error += error_step_x;
      }
      --y;
      error_step_y += 2 * radius_x_squared;
      error += error_step_y;
    } else {
      ++x;
      error_step_x += 2 * radius_y_squared;
      error += error_step_x;
    }
  }
}

// Row y outside [x0, x1]: the parts left and right of it within the clip.
int64_t fill_outside_span(const PixelWriter& writer, int32_t y, int32_t x0, int32_t x1) {
  const PixelPage& page = *writer.target;
  return write_row_span(writer, y, page.clip_x0, x0 - 1) + write_row_span(writer, y, x1 + 1, page.clip_x1 - 1);
}

}  // namespace

int64_t draw_ellipse_outline(const PixelWriter& writer, const EllipseShape& shape) {
  int64_t work = 0;
  int32_t cx = shape.centre_x, cy = shape.centre_y, ex = shape.offset_x, ey = shape.offset_y;
  step_ellipse(shape, [&](int32_t x, int32_t y, bool) {
    work += 2;
    write_pixel(writer, cx + ex + x, cy + ey + y);
    if (y > -ey && x > -ex) {
      write_pixel(writer, cx - x, cy - y);
      ++work;
    }
    if (y > -ey) {
      write_pixel(writer, cx + ex + x, cy - y);
      ++work;
    }
    if (x > -ex) {
      write_pixel(writer, cx - x, cy + ey + y);
      ++work;
    }
  });
  return work;
}

int64_t fill_ellipse(const PixelWriter& writer, const EllipseShape& shape, bool inverted) {
  int64_t work = 0;
  int32_t cx = shape.centre_x, cy = shape.centre_y, ex = shape.offset_x, ey = shape.offset_y;
  auto span = [&](int32_t y, int32_t x0, int32_t x1) {
    work += inverted ? fill_outside_span(writer, y, x0, x1) : write_row_span(writer, y, x0, x1);
  };
  step_ellipse(shape, [&](int32_t x, int32_t y, bool vertical) {
    work += 8;
    if (!vertical) return;
    span(cy - y, cx - x, cx + ex + x);
    if (y > -ey) span(cy + ey + y, cx - x, cx + ex + x);
  });
  if (inverted && shape.radius_x >= 0 && shape.radius_y >= 0) {
    const PixelPage& page = *writer.target;
    work += fill_rectangle(writer, page.clip_x0, page.clip_y0, page.clip_x1 - 1, cy - shape.radius_y - 1);
    work += fill_rectangle(writer, page.clip_x0, cy + ey + shape.radius_y + 1, page.clip_x1 - 1, page.clip_y1 - 1);
  }
  return work;
}

bool box_meets_clip(const PixelPage& target, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  return x1 >= target.clip_x0 && x0 < target.clip_x1 && y1 >= target.clip_y0 && y0 < target.clip_y1;
}

EllipseCulling cull_ellipse(const PixelPage& target, const EllipseShape& shape, int32_t cull_width, int32_t box_x0,
                            int32_t box_y0, int32_t box_x1, int32_t box_y1) {
  if (target.clip_x1 - target.clip_x0 < cull_width) {
    int32_t reach_x = shape.radius_x * 7 / 10;
    int32_t reach_y = shape.radius_y * 7 / 10;
    if (shape.centre_x - reach_x < target.clip_x0 && shape.centre_x + reach_x >= target.clip_x1 &&
        shape.centre_y - reach_y < target.clip_y0 && shape.centre_y + reach_y >= target.clip_y1)
      return EllipseCulling::ClipInsideShape;
  }
  if (!box_meets_clip(target, box_x0, box_y0, box_x1, box_y1)) return EllipseCulling::ClipOutsideBox;
  return EllipseCulling::Draw;
}

}  // namespace tamori::machine
