// The key-configuration screen: the user presses a key for each of 13
// entries (player 0 buttons 0..5, player 1 buttons 0..5, then the pause
// button) and the keys become the `button_keys` setting. Entry k is
// `button_keys[k]`, the setting's first 13 values being in that order.
//
// The screen edits the setting in place as keys are pressed and keeps a copy
// of the bindings it started from, so that leaving before the last entry
// (Escape) restores them. Backspace or Delete choose the built-in binding
// (0). Escape is never assigned: it is the key that leaves the screen.
#pragma once

#include <array>
#include <string>

#include "host/keys.h"
#include "machine/interface_text.h"

namespace tamori::input {

inline constexpr int kKeyConfigEntries = 13;
using ButtonKeys = std::array<int, 25>;

struct KeyConfigScreen {
  bool open = false;
  int current = 0;      // entry waiting for a key; kKeyConfigEntries when all are done
  bool ready = false;   // set once no key is down, so the key that opened the screen is not taken
  ButtonKeys saved{};   // the bindings when the screen opened
};

// The 11-character label of entry 0..12 (tmscii: the O and X glyphs are
// codes 142 and 151).
std::string key_config_label(int entry);
// The name shown for entry's binding: the built-in keys for 0, else the
// configured key's name.
std::string key_config_key_name(int entry, int scancode);

void keyconfig_init(KeyConfigScreen& screen, const ButtonKeys& button_keys);

// One tick: waits until no key is down, then assigns the first key found
// down to the current entry. Returns true on the tick the last entry gets
// its key (typed characters pending then are to be discarded).
bool keyconfig_update(KeyConfigScreen& screen, ButtonKeys& button_keys, const host::KeyStates& keys);

// A key pressed while the screen is open: Escape closes it. Returns true
// when the screen closed.
bool keyconfig_keypress(KeyConfigScreen& screen, ButtonKeys& button_keys, int scancode);

// Closes the screen; unfinished changes are undone.
void keyconfig_close(KeyConfigScreen& screen, ButtonKeys& button_keys);

// Draws the whole 128 x 128 screen at the canvas's top-left corner.
void keyconfig_draw(const KeyConfigScreen& screen, const ButtonKeys& button_keys, machine::Canvas canvas,
                    const machine::Font& font);

}  // namespace tamori::input
