#include "host/sdl/sdl_platform.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "host/config.h"
#include "host/keys.h"
#include "host/log.h"
#include "host/scancodes.h"
#include "host/sdl/sdl_audio.h"
#include "host/sdl/sdl_controllers.h"
#include "host/window_layout.h"

namespace tamori::host {
namespace {

struct SdlHost {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int texture_width = 0, texture_height = 0;
  bool software = false;
  bool fullscreen = false;
  WindowRequest request;
  int saved_x = 0, saved_y = 0, saved_width = 0, saved_height = 0;
  std::vector<uint32_t> fps_strip;
  // Where the last frame went, in window pixels, for mapping the pointer.
  Rect page_in_window{0, 0, 128, 128};
  int page_width = 128, page_height = 128;
  // The last frame handed to the window: an identical one is not drawn
  // again unless the window asked to be redrawn (shown, exposed, resized).
  std::vector<uint32_t> shown_pixels;
  int shown_width = 0, shown_height = 0, shown_fps = -1;
  int shown_output_width = 0, shown_output_height = 0;
  bool needs_redraw = true;
  // The software path writes only the page's rectangle of the window
  // surface; the black around it is drawn again when the surface, its size
  // or the rectangle changes, or the window asked to be redrawn.
  SDL_Surface* cleared_surface = nullptr;
  int cleared_width = 0, cleared_height = 0;
  Rect cleared_for{0, 0, 0, 0};
  bool surface_stale = true;
  std::vector<uint32_t> software_source;
  // Set once a renderer turned out to rasterise on the CPU, so that windows
  // made again (full screen and back) go straight to the software path.
  bool renderer_on_cpu = false;
};

// Renderer output pixels can outnumber window pixels (high-density
// displays); the pointer is reported in window pixels.
void remember_page_rectangle(SdlHost& host, const Rect& destination, int output_width, int output_height,
                             int page_width, int page_height) {
  int window_width = output_width, window_height = output_height;
  if (host.window) SDL_GetWindowSize(host.window, &window_width, &window_height);
  if (output_width <= 0 || output_height <= 0) return;
  host.page_in_window = Rect{int(int64_t(destination.x) * window_width / output_width),
                             int(int64_t(destination.y) * window_height / output_height),
                             int(int64_t(destination.width) * window_width / output_width),
                             int(int64_t(destination.height) * window_height / output_height)};
  host.page_width = page_width;
  host.page_height = page_height;
}

SdlHost host_state;

void destroy_window(SdlHost& host) {
  if (host.texture) SDL_DestroyTexture(host.texture);
  if (host.renderer) SDL_DestroyRenderer(host.renderer);
  if (host.window) SDL_DestroyWindow(host.window);
  host.texture = nullptr;
  host.renderer = nullptr;
  host.window = nullptr;
  host.texture_width = host.texture_height = 0;
  host.cleared_surface = nullptr;
  host.surface_stale = true;
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// True for a renderer that draws on the CPU: SDL's own software renderer,
// or a GL driver that rasterises in software (as on a machine without a
// graphics driver, or a virtual X server). Scaling the page through such a
// driver costs several times what writing the window's pixels directly
// does. A renderer named by SDL_RENDER_DRIVER is kept as asked.
bool renderer_draws_on_cpu(SDL_Renderer* renderer) {
  const char* asked = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  if (asked && *asked) return false;
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0) return false;
  if (info.flags & SDL_RENDERER_SOFTWARE) return true;
  const std::string_view name = info.name ? info.name : "";
  if (name != "opengl" && name != "opengles2") return false;
  // The renderer's GL context is current once it is made.
  using GetString = const unsigned char* (*)(unsigned int);
  constexpr unsigned int kGlRenderer = 0x1F01;
  auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned char* text = get_string ? get_string(kGlRenderer) : nullptr;
  if (!text) return false;
  const std::string_view driver = reinterpret_cast<const char*>(text);
  return contains(driver, "llvmpipe") || contains(driver, "softpipe") || contains(driver, "Software Rasterizer") ||
         contains(driver, "SWR");
}

bool create_window(SdlHost& host, bool fullscreen) {
  const WindowRequest& request = host.request;
  int width = request.window_width, height = request.window_height;
  if (width < 32 || height < 32) {
    width = 640;
    height = request.software_blit ? 480 : 540;
  }
  Uint32 flags = SDL_WINDOW_SHOWN;
  if (fullscreen) {
    flags |= request.fullscreen_method == 2 ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP;
  } else {
    flags |= SDL_WINDOW_RESIZABLE;
    if (request.frameless) flags |= SDL_WINDOW_BORDERLESS;
  }
  int display = request.display_index;
  if (display < 0 || display >= SDL_GetNumVideoDisplays()) display = 0;
  int x = request.window_x >= 0 ? request.window_x : int(SDL_WINDOWPOS_UNDEFINED_DISPLAY(display));
  int y = request.window_y >= 0 ? request.window_y : int(SDL_WINDOWPOS_UNDEFINED_DISPLAY(display));
  if (fullscreen && host.saved_width > 0) {
    x = int(SDL_WINDOWPOS_UNDEFINED_DISPLAY(display));
    y = x;
  }
  host.window = SDL_CreateWindow(request.title.c_str(), x, y, width, height, flags);
  if (!host.window) return false;
  host.fullscreen = fullscreen;
  host.software = request.software_blit || host.renderer_on_cpu;
  if (!host.software) {
    host.renderer = SDL_CreateRenderer(host.window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!host.renderer) {
      ruvo_log(" could not create sdl_renderer! dropping down to software_blit\n");
      host.software = true;
    } else if (renderer_draws_on_cpu(host.renderer)) {
      ruvo_log("renderer draws on the cpu: using software_blit\n");
      SDL_DestroyRenderer(host.renderer);
      host.renderer = nullptr;
      host.renderer_on_cpu = true;
      host.software = true;
    }
  }
  // The software path writes the window's own pixels (shared memory on
  // X11) rather than a texture drawn by a renderer behind the surface.
  if (host.software) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  return true;
}

bool open_window(void*, const WindowRequest& request) {
  SdlHost& host = host_state;
  host.request = request;
  ruvo_log("ruvo_set_screen %d %d %d %x\n", request.window_width, request.window_height, 8, 0);
  return create_window(host, !request.windowed);
}

int scancode_of(const SDL_KeyboardEvent& key) { return int(key.keysym.scancode); }

void pump_events(void*, KeyStates& keys, HostEvents& events) {
  SdlHost& host = host_state;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_QUIT:
        events.quit_requested = true;
        break;
      case SDL_KEYDOWN: {
        if (event.key.repeat) break;  // the console times its own repeats
        int code = remap_scancode(ruvo_config(), scancode_of(event.key));
        // Alt+Enter switches between window and full screen.
        if ((code == scancode::Return || code == scancode::KeypadEnter) && (event.key.keysym.mod & KMOD_ALT)) {
          SDL_SetWindowFullscreen(host.window, host.fullscreen ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
          host.fullscreen = !host.fullscreen;
          break;
        }
        keys_host_down(keys, code);
        break;
      }
      case SDL_KEYUP:
        keys_host_up(keys, remap_scancode(ruvo_config(), scancode_of(event.key)));
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) keys_release_all(keys);
        host.needs_redraw = true;
        host.surface_stale = true;
        break;
      case SDL_MOUSEMOTION:
        events.mouse_moved = true;
        events.relative_motion_x += event.motion.xrel;
        events.relative_motion_y += event.motion.yrel;
        break;
      case SDL_MOUSEWHEEL: {
        const int direction = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
        events.wheel_x += event.wheel.x * direction;
        events.wheel_y += event.wheel.y * direction;
        break;
      }
      case SDL_TEXTINPUT:
        events.typed_text += event.text.text;
        break;
      case SDL_DROPFILE:
        if (event.drop.file) {
          events.dropped_file = event.drop.file;
          SDL_free(event.drop.file);
        }
        break;
      default:
        sdl_controllers_handle_event(event, events);
        break;
    }
  }
  sdl_controllers_sample(events);
  const Uint32 mouse_state = SDL_GetMouseState(&events.window_mouse_x, &events.window_mouse_y);
  events.mouse_buttons = ((mouse_state & SDL_BUTTON_LMASK) ? 1 : 0) | ((mouse_state & SDL_BUTTON_RMASK) ? 2 : 0) |
                         ((mouse_state & SDL_BUTTON_MMASK) ? 4 : 0);
  if (host.window) SDL_GetWindowSize(host.window, &events.window_width, &events.window_height);
  events.back_page_rectangle = host.page_in_window;
  events.back_page_width = host.page_width;
  events.back_page_height = host.page_height;
  events.has_focus = host.window && (SDL_GetWindowFlags(host.window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

// "%03d fps" in a tiny built-in digit font, white on a black 128x8 strip.
void draw_fps_into(uint32_t* pixels, int pitch, int width, int height, int fps) {
  static const char* digits[10] = {"111101101101111", "010110010010111", "111001111100111", "111001111001111",
                                   "101101111001001", "111100111001111", "111100111101111", "111001001001001",
                                   "111101111101111", "111101111001111"};
  char text[16];
  std::snprintf(text, sizeof text, "%03d", fps < 0 ? 0 : fps > 999 ? 999 : fps);
  for (int y = 0; y < 8 && y < height; y++)
    for (int x = 0; x < 128 && x < width; x++) pixels[y * pitch + x] = 0xff000000u;
  for (int i = 0; text[i]; i++) {
    const char* glyph = digits[text[i] - '0'];
    for (int gy = 0; gy < 5; gy++)
      for (int gx = 0; gx < 3; gx++)
        if (glyph[gy * 3 + gx] == '1' && 1 + gy < height && 1 + i * 4 + gx < width)
          pixels[(1 + gy) * pitch + 1 + i * 4 + gx] = 0xffffffffu;
  }
}

Layout current_layout(const SdlHost& host, int page_width, int page_height, int window_width, int window_height) {
  const RuvoConfig& config = ruvo_config();
  LayoutInput input;
  input.page_width = page_width;
  input.page_height = page_height;
  input.window_width = window_width;
  input.window_height = window_height;
  input.pixel_perfect_setting = config.pixel_perfect;
  input.fullscreen = host.fullscreen;
  input.draw_rect = Rect{config.draw_rect_x, config.draw_rect_y, config.draw_rect_width, config.draw_rect_height};
  input.draw_rect_given = config.draw_rect_given;
  return layout_back_page(input);
}

void present_software(SdlHost& host, const PresentedFrame& frame) {
  SDL_Surface* surface = SDL_GetWindowSurface(host.window);
  if (!surface) return;
  const bool direct =
      surface->format->format == SDL_PIXELFORMAT_ARGB8888 || surface->format->format == SDL_PIXELFORMAT_RGB888;
  SDL_Surface* target = direct ? surface
                               : SDL_CreateRGBSurfaceWithFormat(0, surface->w, surface->h, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!target) return;
  Layout layout = current_layout(host, frame.width, frame.height, target->w, target->h);
  remember_page_rectangle(host, layout.destination, target->w, target->h, frame.width, frame.height);
  const bool clear = !direct || host.surface_stale || host.cleared_surface != surface ||
                     host.cleared_width != surface->w || host.cleared_height != surface->h ||
                     !(host.cleared_for == layout.destination);
  SDL_LockSurface(target);
  auto* pixels = static_cast<uint32_t*>(target->pixels);
  const int pitch = target->pitch / 4;
  if (clear)
    for (int y = 0; y < target->h; y++) std::fill_n(pixels + size_t(y) * pitch, target->w, 0xff000000u);
  const uint32_t* source = frame.argb;
  if (frame.show_fps) {
    host.software_source.assign(frame.argb, frame.argb + size_t(frame.width) * frame.height);
    draw_fps_into(host.software_source.data(), frame.width, frame.width, frame.height, frame.fps);
    source = host.software_source.data();
  }
  software_blit(source, frame.width, frame.height, pixels, pitch, target->w, target->h, layout.destination);
  SDL_UnlockSurface(target);
  if (!direct) {
    SDL_BlitSurface(target, nullptr, surface, nullptr);
    SDL_FreeSurface(target);
  }
  if (clear) {
    SDL_UpdateWindowSurface(host.window);
    host.cleared_surface = surface;
    host.cleared_width = surface->w;
    host.cleared_height = surface->h;
    host.cleared_for = layout.destination;
    host.surface_stale = false;
    return;
  }
  // Only the page's rectangle changed: hand just that to the window.
  const Rect& page = layout.destination;
  const int x0 = std::max(0, page.x), y0 = std::max(0, page.y);
  const int x1 = std::min(surface->w, page.x + page.width), y1 = std::min(surface->h, page.y + page.height);
  if (x1 <= x0 || y1 <= y0) return;
  const SDL_Rect changed{x0, y0, x1 - x0, y1 - y0};
  SDL_UpdateWindowSurfaceRects(host.window, &changed, 1);
}

// True when the window already shows exactly this frame at this size, so
// uploading, scaling and presenting it again would change nothing.
bool already_shown(SdlHost& host, const PresentedFrame& frame) {
  int output_width = 0, output_height = 0;
  if (host.software || !host.renderer)
    SDL_GetWindowSize(host.window, &output_width, &output_height);
  else
    SDL_GetRendererOutputSize(host.renderer, &output_width, &output_height);
  const size_t count = size_t(frame.width) * size_t(frame.height);
  const int fps = frame.show_fps ? frame.fps : -1;
  const bool same = !host.needs_redraw && frame.width == host.shown_width && frame.height == host.shown_height &&
                    fps == host.shown_fps && output_width == host.shown_output_width &&
                    output_height == host.shown_output_height && host.shown_pixels.size() == count &&
                    std::equal(frame.argb, frame.argb + count, host.shown_pixels.begin());
  if (same) return true;
  host.shown_pixels.assign(frame.argb, frame.argb + count);
  host.shown_width = frame.width;
  host.shown_height = frame.height;
  host.shown_fps = fps;
  host.shown_output_width = output_width;
  host.shown_output_height = output_height;
  host.needs_redraw = false;
  return false;
}

void present(void*, const PresentedFrame& frame) {
  SdlHost& host = host_state;
  if (!host.window || !frame.argb) return;
  if (already_shown(host, frame)) return;
  if (host.software) {
    present_software(host, frame);
    return;
  }
  if (!host.texture || host.texture_width != frame.width || host.texture_height != frame.height) {
    if (host.texture) SDL_DestroyTexture(host.texture);
    host.texture = SDL_CreateTexture(host.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                     frame.width, frame.height);
    host.texture_width = frame.width;
    host.texture_height = frame.height;
  }
  if (!host.texture) return;
  int window_width = 0, window_height = 0;
  SDL_GetRendererOutputSize(host.renderer, &window_width, &window_height);
  Layout layout = current_layout(host, frame.width, frame.height, window_width, window_height);
  remember_page_rectangle(host, layout.destination, window_width, window_height, frame.width, frame.height);
  SDL_SetTextureScaleMode(host.texture, layout.nearest_filter ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
  SDL_UpdateTexture(host.texture, nullptr, frame.argb, frame.width * 4);
  SDL_SetRenderDrawColor(host.renderer, 0, 0, 0, 255);
  SDL_RenderClear(host.renderer);
  SDL_Rect destination{layout.destination.x, layout.destination.y, layout.destination.width,
                       layout.destination.height};
  SDL_RenderCopy(host.renderer, host.texture, nullptr, &destination);
  if (frame.show_fps && destination.w >= 128 && destination.h >= 8) {
    host.fps_strip.assign(128 * 8, 0);
    draw_fps_into(host.fps_strip.data(), 128, 128, 8, frame.fps);
    SDL_Surface* strip = SDL_CreateRGBSurfaceWithFormatFrom(host.fps_strip.data(), 128, 8, 32, 128 * 4,
                                                            SDL_PIXELFORMAT_ARGB8888);
    if (strip) {
      SDL_Texture* strip_texture = SDL_CreateTextureFromSurface(host.renderer, strip);
      SDL_Rect corner{0, 0, 128, 8};
      if (strip_texture) SDL_RenderCopy(host.renderer, strip_texture, nullptr, &corner);
      if (strip_texture) SDL_DestroyTexture(strip_texture);
      SDL_FreeSurface(strip);
    }
  }
  SDL_RenderPresent(host.renderer);
}

void set_title(void*, const std::string& title) {
  if (host_state.window) SDL_SetWindowTitle(host_state.window, title.c_str());
}

std::string clipboard_text(void*) {
  char* text = SDL_GetClipboardText();
  if (!text) return "";
  std::string copy = text;
  SDL_free(text);
  return copy;
}

void set_clipboard_text(void*, const std::string& text) { SDL_SetClipboardText(text.c_str()); }

void set_icon(void*, const uint32_t* argb, int width, int height) {
  if (!host_state.window) return;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb), width, height, 32, width * 4,
                                                         SDL_PIXELFORMAT_ARGB8888);
  if (!icon) return;
  SDL_SetWindowIcon(host_state.window, icon);
  SDL_FreeSurface(icon);
}

void set_pointer_lock(void*, bool locked) { SDL_SetRelativeMouseMode(locked ? SDL_TRUE : SDL_FALSE); }

void toggle_fullscreen(void*) {
  SdlHost& host = host_state;
  if (!host.window) return;
  if (!host.fullscreen) {
    SDL_GetWindowPosition(host.window, &host.saved_x, &host.saved_y);
    SDL_GetWindowSize(host.window, &host.saved_width, &host.saved_height);
  }
  bool to_fullscreen = !host.fullscreen;
  destroy_window(host);
  WindowRequest& request = host.request;
  if (!to_fullscreen && host.saved_width > 0) {
    request.window_x = host.saved_x;
    request.window_y = host.saved_y;
    request.window_width = host.saved_width;
    request.window_height = host.saved_height;
  }
  if (!create_window(host, to_fullscreen)) ruvo_fatal("Unable to create window");
}

void close_window(void*) { destroy_window(host_state); }

void open_controllers(void*, const std::string& program_folder, const std::string& data_folder) {
  sdl_controllers_open(program_folder, data_folder);
}

}  // namespace

bool sdl_platform_init() {
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    ruvo_log("SDL_Init failed: %s\n", SDL_GetError());
    return false;
  }
  return true;
}

Platform sdl_platform() {
  Platform platform;
  platform.open_window = open_window;
  platform.pump_events = pump_events;
  platform.present = present;
  platform.set_title = set_title;
  platform.clipboard_text = clipboard_text;
  platform.set_clipboard_text = set_clipboard_text;
  platform.set_icon = set_icon;
  platform.set_pointer_lock = set_pointer_lock;
  platform.toggle_fullscreen = toggle_fullscreen;
  platform.close_window = close_window;
  platform.open_audio = sdl_open_audio;
  platform.lock_audio = sdl_lock_audio;
  platform.unlock_audio = sdl_unlock_audio;
  platform.close_audio = sdl_close_audio;
  platform.open_controllers = open_controllers;
  return platform;
}

void sdl_platform_shutdown() {
  sdl_close_audio(nullptr);
  sdl_controllers_close();
  destroy_window(host_state);
  SDL_Quit();
}

void sdl_window_size(int* width, int* height) {
  *width = *height = 0;
  if (host_state.window) SDL_GetWindowSize(host_state.window, width, height);
}

}  // namespace tamori::host
