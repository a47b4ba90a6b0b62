#include <SDL.h>

namespace tamori::host {

// The SDL version this binary runs against, for the start-up log line.
int sdl_linked_version() {
  SDL_version version;
  SDL_GetVersion(&version);
  return version.major * 10000 + version.minor * 100 + version.patch;
}

}  // namespace tamori::host
