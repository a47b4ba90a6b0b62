// The console's side of the key-configuration screen: opening it (from the
// program's keyconfig(), and later from the pause menu), its tick, Escape,
// and drawing it over the picture. While a program runs the screen is pause
// state 2; on the stopped screen it is shown while it is open.
#pragma once

#include "shell/console_state.h"

namespace tamori::shell {

inline constexpr int kPauseStateKeyConfig = 2;

// Opens the screen on the current `button_keys` setting and blocks buttons.
void open_key_config(Console& console);
// Opens the screen if the program asked for it during the last slice.
void take_key_config_request(Console& console);
bool key_config_shown(const Console& console);
// One tick of the open screen: the next key pressed goes to the current
// entry; typed characters are dropped once the last entry has its key.
void key_config_tick(Console& console);
// Escape: closes the screen, undoing unfinished changes. Returns true when
// a screen was open.
bool key_config_escape(Console& console);
void draw_key_config(Console& console);

}  // namespace tamori::shell
