// The TAMORI console: a thin SDL front end over the headless core.
#include <cstdio>
#include <cstring>
#include <string>

#include "host/config.h"
#include "host/sdl/sdl_platform.h"
#include "shell/command_line_help.h"
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
  using tamori::shell::InformationRequest;
  // Answered before anything starts: no window, no data folder, no log.
  switch (tamori::shell::information_request(argc, argv)) {
    case InformationRequest::kHelp: std::fputs(tamori::shell::usage_text().c_str(), stdout); return 0;
    case InformationRequest::kVersion: std::puts(tamori::shell::version_line().c_str()); return 0;
    case InformationRequest::kNone: break;
  }
  for (const std::string& option : tamori::shell::unknown_options(argc, argv))
    std::fputs(tamori::shell::unknown_option_hint(option).c_str(), stderr);

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
