// The pause menu's words of extcmd: "pause" opens the main page (a second
// argument of 1 or more keeps the selection, which the prelude's flip uses
// to keep the menu up after a callback) and "controls" the controls
// picture. The console opens the page through the runner's host.
#pragma once

#include <string_view>

#include "runner/language.h"

namespace tamori::runner {

// True when `command` is one of the pause menu's words; the page is then
// open (argument 2 of `thread` is the keep-selection flag).
bool pause_menu_extcmd(ThreadState* thread, std::string_view command);

// Registers `__extcmd` answering the pause menu's words only, for consoles
// whose extcmd table is not there yet; a full table calls
// pause_menu_extcmd for these words instead.
void register_pause_menu_extcmd(ThreadState* state);

}  // namespace tamori::runner
