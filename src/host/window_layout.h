// Where the back page goes inside the window, and the software blitter that
// draws it there when no renderer is available.
#pragma once

#include <cstdint>

namespace tamori::host {

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

struct LayoutInput {
  int page_width = 128, page_height = 128;
  int window_width = 0, window_height = 0;
  int pixel_perfect_setting = -1;  // -1 automatic, else used as given
  bool keep_aspect = true;
  bool fullscreen = false;
  Rect draw_rect;                  // used when width and height are at least 1
  bool draw_rect_given = false;
};

struct Layout {
  Rect destination;
  bool nearest_filter = false;  // pixel-perfect scaling uses nearest-pixel filtering
};

// The automatic pixel-perfect rule.
bool automatic_pixel_perfect(int page_width, int page_height, int window_width, int window_height, bool fullscreen);

Layout layout_back_page(const LayoutInput& input);

// Nearest-pixel scaling of a 32-bit frame into `rect` of a 32-bit surface.
void software_blit(const uint32_t* source, int source_width, int source_height, uint32_t* surface,
                   int surface_pitch_pixels, int surface_width, int surface_height, const Rect& rect);

}  // namespace tamori::host
