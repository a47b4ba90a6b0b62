// Connects the printer's sound command to the console's sound effects.
#pragma once

#include "shell/console_state.h"

namespace tamori::shell {

void connect_print_sound(Console& console);

}  // namespace tamori::shell
