// The configuration command: a program text "config [setting [value]]"
// changes one console setting and says what it did, or lists the
// settings it knows.
#pragma once

#include <string>
#include <vector>

#include "runner/program_limits.h"
#include "shell/console_state.h"

namespace tamori::shell {

// `argument` is the text after "config " (empty for a bare "config").
// Changes the setting and returns the lines that tell about it.
std::vector<runner::ConsoleLine> config_command(Console& console, const std::string& argument);
// The same, printed on the console.
void run_config_command(Console& console, const std::string& argument);

}  // namespace tamori::shell
