// The TAMORI console: a thin SDL front end over the headless core.
#include <cstdio>
#include <cstring>

#include "host/config.h"
#include "host/sdl/sdl_platform.h"
#include "shell/startup.h"

namespace {

// Headless runs (-x, -exec, -export, -headless) need no display at all.
bool wants_headless(int argc, char** argv) {
  for (int i = 1; i < argc; i++) {
    const char* argument = argv[i];
    if (argument[0] != '-') continue;
    if (std::strncmp(argument, "-headless", 9) == 0 || argument[1] == 'x' || std::strcmp(argument, "-exec") == 0 ||
        std::strcmp(argument, "-export") == 0)
      return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  tamori::shell::StartupOptions startup;
  const bool headless = wants_headless(argc, argv);
  if (!headless) {
    if (!tamori::host::sdl_platform_init()) {
      std::printf("\n\n** FATAL ERROR: %s\n\n", "Unable to create window");
      return 0;
    }
    startup.platform = tamori::host::sdl_platform();
  }
  int status = tamori::shell::ruvo_main(argc, argv, startup);
  if (!headless) tamori::host::sdl_platform_shutdown();
  return status;
}
