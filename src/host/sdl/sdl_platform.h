// The SDL2 side of the framework: window, renderer and streaming texture (or
// the software blitter), and the event pump. It fills a host::Platform record
// for the headless core.
#pragma once

#include "host/platform.h"

namespace tamori::host {

// Initialises SDL video and events; false (with the reason logged) when no
// display can be opened.
bool sdl_platform_init();
Platform sdl_platform();
void sdl_platform_shutdown();

// The size of the window as it is now (for tests and layout).
void sdl_window_size(int* width, int* height);

}  // namespace tamori::host
