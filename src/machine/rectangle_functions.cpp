#include "machine/rectangle_functions.h"

#include <algorithm>

#include "machine/ellipse_rasteriser.h"
#include "machine/line_rasteriser.h"
#include "machine/pixel_writer.h"

namespace tamori::machine {

namespace {

// Position after the camera of a coordinate taken as a 16-bit value.
int32_t camera_coordinate(int32_t value, int16_t camera) { return static_cast<int16_t>(value) - camera; }

// Rows y0..y1 from x0 to x1, or with `inverted` the parts of those rows
// left and right of it.
int64_t fill_rows(const PixelWriter& writer, int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool inverted) {
  if (!inverted) return fill_rectangle(writer, x0, y0, x1, y1);
  const PixelPage& page = *writer.target;
  return fill_rectangle(writer, page.clip_x0, y0, x0 - 1, y1) +
         fill_rectangle(writer, x1 + 1, y0, page.clip_x1 - 1, y1);
}

// The radius that fits a w by h rectangle.
int32_t fitted_radius(int32_t w, int32_t h, int32_t r) { return std::min(r, std::min(w, h) / 2 - 1); }

// The four corners as one ellipse whose halves are pulled apart to the
// rectangle's size.
EllipseShape corner_ellipse(int32_t x, int32_t y, int32_t w, int32_t h, int32_t radius) {
  EllipseShape shape;
  shape.centre_x = x + radius + 1;
  shape.centre_y = y + radius + 1;
  shape.radius_x = radius + 1;
  shape.radius_y = radius + 1;
  shape.offset_x = w - 2 * radius - 3;
  shape.offset_y = h - 2 * radius - 3;
  return shape;
}

int64_t draw_plain_outline(const PixelWriter& writer, int32_t x, int32_t y, int32_t w, int32_t h) {
  int64_t work = write_row_span(writer, y, x, x + w - 1);
  if (h != 1) work += write_row_span(writer, y + h - 1, x, x + w - 1);
  if (h > 2) {
    work += write_column_span(writer, x, y + 1, y + h - 2);
    work += write_column_span(writer, x + w - 1, y + 1, y + h - 2);
  }
  return work;
}

int64_t draw_rounded_outline(const PixelWriter& writer, int32_t x, int32_t y, int32_t w, int32_t h, int32_t radius) {
  int64_t work = 0;
  if (box_meets_clip(*writer.target, x, y, x + w - 1, y + h - 1))
    work += draw_ellipse_outline(writer, corner_ellipse(x, y, w, h, radius));
  int32_t left = x + radius + 2, right = x + w - radius - 3;
  if (left <= right) {
    work += draw_sloped_line(writer, left, y, right, y);
    work += draw_sloped_line(writer, left, y + h - 1, right, y + h - 1);
  }
  int32_t top = y + radius + 2, bottom = y + h - radius - 3;
  if (top <= bottom) {
    work += draw_sloped_line(writer, x, top, x, bottom);
    work += draw_sloped_line(writer, x + w - 1, top, x + w - 1, bottom);
  }
  return work;
}

int64_t fill_rounded(const PixelWriter& writer, int32_t x, int32_t y, int32_t w, int32_t h, int32_t radius,
                     bool inverted) {
  EllipseShape shape = corner_ellipse(x, y, w, h, radius);
  EllipseCulling culling = cull_ellipse(*writer.target, shape, 2 * radius + 2, x, y, x + w - 1, y + h - 1);
  int64_t work = 0;
  if (culling == EllipseCulling::Draw)
    work += fill_ellipse(writer, shape, inverted);
  else if ((culling == EllipseCulling::ClipInsideShape) != inverted)
    work += fill_clip_rectangle(writer);
  // The straight middle rows between the top and bottom corners.
  int32_t middle_rows = h - 2 * radius - 4;
  int32_t first_middle_row = y + radius + 2;
  if (middle_rows > 0)
    work += fill_rows(writer, x, first_middle_row, x + w - 1, first_middle_row + middle_rows - 1, inverted);
  return work;
}

}  // namespace

int64_t rect(MachineState& state, int32_t x0, int32_t y0, int32_t x1, int32_t y1, NumberArgument colour) {
  PixelWriter writer = make_pixel_writer(state, decode_colour_argument(state, colour));
  x0 -= state.registers.camera_x;
  x1 -= state.registers.camera_x;
  y0 -= state.registers.camera_y;
  y1 -= state.registers.camera_y;
  int32_t left = std::min(x0, x1), right = std::max(x0, x1);
  int64_t pixels = write_row_span(writer, y0, left, right);
  if (y1 != y0) {
    pixels += write_row_span(writer, y1, left, right);
    int32_t top = std::min(y0, y1), bottom = std::max(y0, y1);
    pixels += write_column_span(writer, x0, top + 1, bottom - 1);
    pixels += write_column_span(writer, x1, top + 1, bottom - 1);
  }
  return finish_drawing(state, pixels / 16);
}

int64_t rectfill(MachineState& state, int32_t x0, int32_t y0, int32_t x1, int32_t y1, NumberArgument colour) {
  DrawColour decoded = decode_colour_argument(state, colour);
  PixelWriter writer = make_pixel_writer(state, decoded);
  x0 -= state.registers.camera_x;
  x1 -= state.registers.camera_x;
  y0 -= state.registers.camera_y;
  y1 -= state.registers.camera_y;
  int32_t left = std::min(x0, x1), right = std::max(x0, x1);
  int32_t top = std::min(y0, y1), bottom = std::max(y0, y1);
  int64_t pixels = decoded.inverted_fill ? fill_outside_rectangle(writer, left, top, right, bottom)
                                         : fill_rectangle(writer, left, top, right, bottom);
  return finish_drawing(state, pixels / 16);
}

int64_t rrect(MachineState& state, int32_t x, int32_t y, int32_t w, int32_t h, int32_t r, NumberArgument colour) {
  PixelWriter writer = make_pixel_writer(state, decode_colour_argument(state, colour));
  x = camera_coordinate(x, state.registers.camera_x);
  y = camera_coordinate(y, state.registers.camera_y);
  w = static_cast<int16_t>(w);
  h = static_cast<int16_t>(h);
  if (w < 1 || h < 1) return 0;
  int32_t radius = fitted_radius(w, h, static_cast<int16_t>(r));
  int64_t work =
      radius <= 0 ? draw_plain_outline(writer, x, y, w, h) : draw_rounded_outline(writer, x, y, w, h, radius);
  return finish_drawing(state, work / 2);
}

int64_t rrectfill(MachineState& state, int32_t x, int32_t y, int32_t w, int32_t h, int32_t r, NumberArgument colour) {
  DrawColour decoded = decode_colour_argument(state, colour);
  PixelWriter writer = make_pixel_writer(state, decoded);
  bool inverted = decoded.inverted_fill;
  x = camera_coordinate(x, state.registers.camera_x);
  y = camera_coordinate(y, state.registers.camera_y);
  w = static_cast<int16_t>(w);
  h = static_cast<int16_t>(h);
  if (w < 1 || h < 1) return finish_drawing(state, inverted ? fill_clip_rectangle(writer) / 16 : 0);
  int32_t radius = fitted_radius(w, h, static_cast<int16_t>(r));
  int64_t work = 0;
  if (radius < 1) {
    work = inverted ? fill_outside_rectangle(writer, x, y, x + w - 1, y + h - 1)
                    : fill_rectangle(writer, x, y, x + w - 1, y + h - 1);
  } else {
    work = fill_rounded(writer, x, y, w, h, radius, inverted);
  }
  return finish_drawing(state, work / 16);
}

}  // namespace tamori::machine
