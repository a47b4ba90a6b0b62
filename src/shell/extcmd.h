// extcmd(cmd, a, b): the extended commands a program gives the console by
// name (pause menu, reset, breadcrumbs, window title, capture).
#pragma once

#include <optional>
#include <string>

#include "shell/console_state.h"

namespace tamori::shell {

inline constexpr std::size_t kMaxExtcmdTextLength = 128;
inline constexpr std::size_t kMaxOutputBaseNameLength = 63;

struct ExtcmdRequest {
  std::optional<std::string> command;
  std::optional<std::string> text;  // a, when it is a string
  int a = 0;                        // a and b read as numbers
  int b = 0;
};

void command_extcmd(Console& console, const ExtcmdRequest& request);

// The rate limits that reset every minute (the main loop calls this).
void reset_command_rate_limits(Console& console);

}  // namespace tamori::shell
