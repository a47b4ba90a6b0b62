// Ellipse stepping shared by ovals, circles and the corners of rounded
// rectangles: one quadrant is stepped with an integer error term and mirrored
// into outline points or filled row spans. The right and lower halves are
// moved by ex and ey, which makes even widths and the straight middles of
// rounded rectangles possible.
#pragma once

#include <cstdint>

#include "machine/pixel_writer.h"

namespace tamori::machine {

struct EllipseShape {
  int32_t centre_x = 0;
  int32_t centre_y = 0;
  int32_t radius_x = 0;
  int32_t radius_y = 0;
  int32_t offset_x = 0;  // ex: shift of the right half
  int32_t offset_y = 0;  // ey: shift of the lower half
};

// Outline points; returns the work (2 per step plus each mirrored point tried).
int64_t draw_ellipse_outline(const PixelWriter& writer, const EllipseShape& shape);

// Filled row spans, or with `inverted` everything outside them; returns the
// work (8 per step plus the pixels of the spans).
int64_t fill_ellipse(const PixelWriter& writer, const EllipseShape& shape, bool inverted);

// True when the inclusive box (x0, y0)..(x1, y1) shares a pixel with the
// target's clip rectangle.
bool box_meets_clip(const PixelPage& target, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// How the clip rectangle lies against a shape with bounding box
// (box_x0, box_y0)..(box_x1, box_y1), inclusive.
enum class EllipseCulling { Draw, ClipInsideShape, ClipOutsideBox };

// ClipInsideShape when the clip is narrower than `cull_width` and lies within
// 7/10 of the radii around the centre; ClipOutsideBox when the box misses it.
EllipseCulling cull_ellipse(const PixelPage& target, const EllipseShape& shape, int32_t cull_width, int32_t box_x0,
                            int32_t box_y0, int32_t box_x1, int32_t box_y1);

}  // namespace tamori::machine
