// Start-up, the host loop and shutdown of the console.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/platform.h"
#include "lang/api.h"
#include "shell/console_state.h"

namespace tamori::shell {

struct StartupOptions {
  host::Platform platform;          // empty callbacks: headless
  std::string program_folder;       // where data.pod is looked for; empty: the executable's folder
  // Headless tools: where standard output goes, and a fixed random seed.
  std::function<void(std::string_view text)> write_stdout;
  std::optional<uint32_t> fixed_random_seed;
  // Extra functions for every new language state (tools and tests).
  std::function<void(lang::ThreadState* state)> register_functions;
};

// Brings the console up. Returns an exit status when the program must end
// at once (a missing data file), nothing when the loop should run.
std::optional<int> ruvo_main_init(Console& console, int argc, const char* const* argv,
                                  const StartupOptions& startup);
// One iteration of the host loop: sleep and events, update, draw, present.
void ruvo_main_iteration(Console& console);
// The framework's shutdown: saves the settings, closes the window and logs.
void ruvo_exit(Console& console);

// Runs the whole program: init, loop until quit, exit. Returns the status.
int ruvo_main(int argc, const char* const* argv, const StartupOptions& startup);

// Console printing with the console's font, on its text screen.
void console_print(Console& console, const std::string& text, uint8_t colour = 6);

}  // namespace tamori::shell
