#include "host/window_layout.h"

#include <algorithm>
#include <cstring>

namespace tamori::host {

bool automatic_pixel_perfect(int page_width, int page_height, int window_width, int window_height, bool fullscreen) {
  if (page_width >= 720) return false;
  if (window_width >= page_width && window_height >= page_height && !fullscreen) return true;
  if (page_width <= 0 || page_height <= 0 || window_width <= 0 || window_height <= 0) return false;
  long long page_aspect = (long long)page_width * 256 / page_height;
  long long window_aspect = (long long)window_width * 256 / window_height;
  if (window_aspect < page_aspect)  // the window is relatively narrower
    return (window_width - window_width % page_width) * 10 >= window_width * 9;
  return (window_height - window_height % page_height) * 10 >= window_height * 9;
}

Layout layout_back_page(const LayoutInput& in) {
  Layout layout;
  const int W = std::max(1, in.window_width), H = std::max(1, in.window_height);
  const int width = std::max(1, in.page_width), height = std::max(1, in.page_height);
  if (in.draw_rect_given && in.draw_rect.width >= 1 && in.draw_rect.height >= 1) {
    layout.destination = in.draw_rect;
    return layout;
  }
  bool pixel_perfect = in.pixel_perfect_setting >= 0
                           ? in.pixel_perfect_setting != 0
                           : automatic_pixel_perfect(width, height, W, H, in.fullscreen);
  Rect rect;
  if (pixel_perfect) {
    int scale = std::max(1, std::min(W / width, H / height));
    rect.width = width * scale;
    rect.height = height * scale;
    layout.nearest_filter = true;
  } else if (in.keep_aspect) {
    if ((long long)width * H > (long long)W * height) {  // page wider than window: full width
      rect.width = W;
      rect.height = int((long long)W * height / width);
    } else {
      rect.height = H;
      rect.width = int((long long)H * width / height);
    }
  } else {
    rect.width = W;
    rect.height = H;
  }
  rect.x = (W - rect.width) / 2;
  rect.y = (H - rect.height) / 2;
  layout.destination = rect;
  return layout;
}

void software_blit(const uint32_t* source, int source_width, int source_height, uint32_t* surface,
                   int surface_pitch_pixels, int surface_width, int surface_height, const Rect& rect) {
  if (rect.width <= 0 || rect.height <= 0) return;
  const uint32_t step = uint32_t((long long)source_width * 65536 / rect.width);
  // A whole-number scale with the rectangle's columns all on the surface
  // (the usual pixel-perfect case) repeats each pixel instead of stepping.
  const bool columns_inside = rect.x >= 0 && rect.x + rect.width <= surface_width;
  const int whole_scale = columns_inside && rect.width % source_width == 0 ? rect.width / source_width : 0;
  int previous_source_row = -1;
  uint32_t* previous_output_row = nullptr;
  for (int dy = 0; dy < rect.height; dy++) {
    int y = rect.y + dy;
    if (y < 0 || y >= surface_height) continue;
    int source_row = int((long long)dy * source_height / rect.height);
    uint32_t* out = surface + size_t(y) * surface_pitch_pixels;
    int x_start = std::max(0, rect.x), x_end = std::min(surface_width, rect.x + rect.width);
    if (source_row == previous_source_row && previous_output_row) {
      if (x_end > x_start) std::memcpy(out + x_start, previous_output_row + x_start, size_t(x_end - x_start) * 4);
      continue;
    }
    const uint32_t* in = source + size_t(source_row) * source_width;
    if (whole_scale > 0) {
      // Each source pixel becomes whole_scale output pixels.
      uint32_t* write = out + rect.x;
      for (int x = 0; x < source_width; x++, write += whole_scale) std::fill_n(write, whole_scale, in[x]);
    } else {
      uint32_t position = uint32_t(x_start - rect.x) * step;
      for (int x = x_start; x < x_end; x++, position += step)
        out[x] = in[std::min<int>(position >> 16, source_width - 1)];
    }
    previous_source_row = source_row;
    previous_output_row = out;
  }
}

}  // namespace tamori::host
