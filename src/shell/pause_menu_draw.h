// Drawing the pause menu over the composed picture: the main and options
// pages as a darkened, outlined box of items with a pointer beside the
// selected one, and the controls picture with live button indicators.
#pragma once

#include <string>

#include "shell/console_state.h"

namespace tamori::shell {

// Draws the open page (or, just after a cartridge item was chosen, the main
// page as it was) onto the back page.
void draw_paused_menu(Console& console);

// The label of a group of buttons on the controls picture: `built_in` while
// none of them has a configured key, else the first character of each
// button's key name, separated by spaces.
std::string controls_label(int player, std::initializer_list<int> buttons,
                           const std::string& built_in);

}  // namespace tamori::shell
