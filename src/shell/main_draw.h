// Composing one frame: the 128x128 picture (screen memory or the console
// text screen), the exit bar, the message bar, the flicker, TV frame and
// whole-screen transformation, into the back page.
#pragma once

#include "shell/console_state.h"

namespace tamori::shell {

inline constexpr const char* kExitBarText = " stopped. press button to exit";

void draw_exit_bar(machine::Picture& picture, const machine::Font& font);
void ruvo_main_draw(Console& console);
// Converts the back page through the palette and hands it to the window.
void present_back_page(Console& console);

}  // namespace tamori::shell
