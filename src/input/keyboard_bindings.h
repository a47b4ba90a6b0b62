// Which keyboard keys drive which player's buttons: the built-in bindings,
// replaced button by button by the `button_keys` setting.
#pragma once

#include <array>

#include "host/keys.h"

namespace tamori::input {

inline constexpr int kPlayers = 8;
inline constexpr int kButtons = 8;
inline constexpr int kPauseButton = 6;

// `button_keys` order: player 0 buttons 0..5, player 1 buttons 0..5, the
// pause button, player 2 buttons 0..5, player 3 buttons 0..5.
int button_keys_index(int player, int button);

struct KeyContext {
  bool program_running = false;
  bool pause_state_open = false;
};

// The keyboard part of a button: true when one of its keys is down.
bool keyboard_button_down(const host::KeyStates& keys, const std::array<int, 25>& button_keys, int player,
                          int button, const KeyContext& context);
// The first built-in key of player 0's or 1's button (0 when none).
int builtin_key(int player, int button);
// True when one of the button's keys was pressed this frame.
bool keyboard_button_pressed(const host::KeyStates& keys, const std::array<int, 25>& button_keys, int player,
                             int button, const KeyContext& context);

}  // namespace tamori::input
