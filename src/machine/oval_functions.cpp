#include "machine/oval_functions.h"

#include <algorithm>

#include "machine/ellipse_rasteriser.h"
#include "machine/memory.h"
#include "machine/pixel_writer.h"

namespace tamori::machine {

namespace {

constexpr int32_t kDefaultCircleRadius = 4;
constexpr uint8_t kHalfRadiusWidensFlag = 0x02;  // in 0x5f36

struct OvalBox {
  int32_t x0, y0, x1, y1;  // sorted, inclusive, after the camera
};

OvalBox camera_box(const MachineState& state, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  int32_t camera_x = state.registers.camera_x, camera_y = state.registers.camera_y;
  x0 -= camera_x;
  x1 -= camera_x;
  y0 -= camera_y;
  y1 -= camera_y;
  return {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

EllipseShape ellipse_in_box(const OvalBox& box) {
  int32_t width = box.x1 - box.x0;
  int32_t height = box.y1 - box.y0;
  EllipseShape shape;
  shape.centre_x = (box.x0 + box.x1) >> 1;
  shape.centre_y = (box.y0 + box.y1) >> 1;
  shape.radius_x = width / 2;
  shape.radius_y = height / 2;
  shape.offset_x = width % 2;
  shape.offset_y = height % 2;
  return shape;
}

bool box_is_thin(const OvalBox& box) { return box.y1 - box.y0 <= 1 || box.x1 - box.x0 <= 1; }

int64_t draw_oval_outline(const PixelWriter& writer, const OvalBox& box) {
  if (box_is_thin(box)) return fill_rectangle(writer, box.x0, box.y0, box.x1, box.y1) / 2;
  EllipseShape shape = ellipse_in_box(box);
  EllipseCulling culling = cull_ellipse(*writer.target, shape, box.x1 - box.x0, box.x0, box.y0, box.x1, box.y1);
  if (culling != EllipseCulling::Draw) return 0;
  return draw_ellipse_outline(writer, shape) / 2;
}

int64_t fill_oval(const PixelWriter& writer, const OvalBox& box, bool inverted) {
  if (box_is_thin(box)) {
    int64_t work = inverted ? fill_outside_rectangle(writer, box.x0, box.y0, box.x1, box.y1)
                            : fill_rectangle(writer, box.x0, box.y0, box.x1, box.y1);
    return work / 16;
  }
  EllipseShape shape = ellipse_in_box(box);
  EllipseCulling culling = cull_ellipse(*writer.target, shape, box.x1 - box.x0, box.x0, box.y0, box.x1, box.y1);
  // A clip inside the shape is all filled (nothing outside it); a clip
  // outside the box is all outside the shape.
  if (culling == EllipseCulling::ClipInsideShape) return inverted ? 0 : fill_clip_rectangle(writer) / 16;
  if (culling == EllipseCulling::ClipOutsideBox) return inverted ? fill_clip_rectangle(writer) / 16 : 0;
  return fill_ellipse(writer, shape, inverted) / 16;
}

// The bounding box of a circle, or false for a negative radius.
bool circle_box(const MachineState& state, int32_t x, int32_t y, NumberArgument radius, OvalBox* box) {
  int32_t raw_radius = radius ? *radius : kDefaultCircleRadius * 65536;
  int32_t whole_radius = raw_radius >> 16;
  if (whole_radius < 0) return false;
  bool half = (static_cast<uint32_t>(raw_radius) & 0x8000) != 0;
  int32_t extra = (read_memory_byte(state, 0x5f36) & kHalfRadiusWidensFlag) && half ? 1 : 0;
  *box = camera_box(state, x - whole_radius, y - whole_radius, x + whole_radius + extra, y + whole_radius + extra);
  return true;
}

}  // namespace

int64_t oval(MachineState& state, int32_t x0, int32_t y0, int32_t x1, int32_t y1, NumberArgument colour) {
  PixelWriter writer = make_pixel_writer(state, decode_colour_argument(state, colour));
  return finish_drawing(state, draw_oval_outline(writer, camera_box(state, x0, y0, x1, y1)));
}

int64_t ovalfill(MachineState& state, int32_t x0, int32_t y0, int32_t x1, int32_t y1, NumberArgument colour) {
  DrawColour decoded = decode_colour_argument(state, colour);
  PixelWriter writer = make_pixel_writer(state, decoded);
  return finish_drawing(state, fill_oval(writer, camera_box(state, x0, y0, x1, y1), decoded.inverted_fill));
}

int64_t circ(MachineState& state, int32_t x, int32_t y, NumberArgument radius, NumberArgument colour) {
  PixelWriter writer = make_pixel_writer(state, decode_colour_argument(state, colour));
  OvalBox box;
  if (!circle_box(state, x, y, radius, &box)) return 0;
  return finish_drawing(state, draw_oval_outline(writer, box));
}

int64_t circfill(MachineState& state, int32_t x, int32_t y, NumberArgument radius, NumberArgument colour) {
  DrawColour decoded = decode_colour_argument(state, colour);
  PixelWriter writer = make_pixel_writer(state, decoded);
  OvalBox box;
  if (!circle_box(state, x, y, radius, &box))
    return finish_drawing(state, decoded.inverted_fill ? fill_clip_rectangle(writer) / 16 : 0);
  return finish_drawing(state, fill_oval(writer, box, decoded.inverted_fill));
}

}  // namespace tamori::machine
