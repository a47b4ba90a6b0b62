// The pause menu: its pages (main page, options page, controls picture),
// how they open (pause button, an emergency hold of the pause key, extcmd),
// their keys, and the cartridge's own items, whose choice the program's
// flip reports to the item's callback. The items live in Console::pause,
// the cartridge items' labels, filters and pending choices in the runner.
#pragma once

#include <cstdint>

#include "shell/console_state.h"

namespace tamori::shell {

inline constexpr uint32_t kPauseSuppressAddress = 0x5f30;
inline constexpr int kEmergencyHoldIterations = 6;
inline constexpr int32_t kEmergencyHoldMs = 500;
inline constexpr int kLowestMenuVolume = 8;
inline constexpr int kHighestMenuVolume = 256;

// Rebuilds the items of the open page (the main page when none is open),
// keeping the selection within them.
void build_paused_menu(Console& console);
// How many items the main page has now (the rectangle of stat 12..15).
int main_page_item_count(const Console& console);

// Opens the main page (selection 0 unless kept) or the controls picture,
// holding Escape blocked and blocking every button. Only while a program
// runs. These are what extcmd("pause" [, keep]) and extcmd("controls") do.
void open_pause_menu(Console& console, bool keep_selection);
void open_controls_picture(Console& console);

// Once a frame with the buttons just read: the pause button opens the main
// page, unless the byte at 0x5f30 asks to swallow this request.
void update_paused_menu(Console& console);
// Every host-loop iteration: opens the main page when the pause key has been
// down for six iterations and more than 500 ms, even if the program never
// reaches flip. `program_may_pause` is false while no program runs or a
// page is open: the hold starts again.
void update_emergency_paused_menu(Console& console, int32_t now_ms, bool program_may_pause);

// One paused tick of the main page, the options page or the controls
// picture, with this tick's buttons.
void process_paused_keypresses(Console& console);

// The menu is drawn while a page is open, and after a cartridge item was
// chosen until the program's next slice.
bool pause_menu_drawn(const Console& console);

}  // namespace tamori::shell
