#include "input/keyboard_bindings.h"

#include <initializer_list>

#include "host/scancodes.h"

namespace tamori::input {
namespace {

using namespace host::scancode;

// Built-in keys of player 0 and 1; a trailing 0 ends each list.
struct BuiltIn {
  int keys[6];
};

const BuiltIn kPlayer0[kButtons] = {
    {{Left, Keypad4, 0}},
    {{Right, Keypad6, 0}},
    {{Up, Keypad8, 0}},
    {{Down, Keypad5, 0}},
    {{Z, C, N, Keypad1, Insert, 0}},
    {{X, V, M, Keypad2, Delete, 0}},
    {{P, Return, 0}},
    {{0}},
};

const BuiltIn kPlayer1[kButtons] = {
    {{S, 0}}, {{F, 0}}, {{E, 0}}, {{D, 0}}, {{LeftShift, Tab, W, 0}}, {{A, Q, 0}}, {{0}}, {{0}},
};

template <typename Test>
bool any_key(const host::KeyStates& keys, const std::array<int, 25>& button_keys, int player, int button,
             const KeyContext& context, Test test) {
  if (player < 0 || player >= kPlayers || button < 0 || button >= kButtons) return false;
  int index = button_keys_index(player, button);
  if (index >= 0 && button_keys[size_t(index)] != 0) return test(button_keys[size_t(index)]);
  const BuiltIn* table = player == 0 ? kPlayer0 : player == 1 ? kPlayer1 : nullptr;
  if (!table) return false;
  for (int key : table[button].keys) {
    if (key == 0) break;
    if (key == M && keys.ctrl) continue;  // Ctrl+M is the mute key
    if (test(key)) return true;
  }
  if (player == 0 && button == kPauseButton && context.program_running && !context.pause_state_open &&
      test(Escape))
    return true;
  return false;
}

}  // namespace

int button_keys_index(int player, int button) {
  if (button < 0 || button > 6) return -1;
  if (player == 0 && button == kPauseButton) return 12;
  if (button == kPauseButton) return -1;
  switch (player) {
    case 0: return button;
    case 1: return 6 + button;
    case 2: return 13 + button;
    case 3: return 19 + button;
    default: return -1;
  }
}

int builtin_key(int player, int button) {
  if (player < 0 || player > 1 || button < 0 || button >= kButtons) return 0;
  return (player == 0 ? kPlayer0 : kPlayer1)[button].keys[0];
}

bool keyboard_button_down(const host::KeyStates& keys, const std::array<int, 25>& button_keys, int player,
                          int button, const KeyContext& context) {
  return any_key(keys, button_keys, player, button, context, [&](int key) { return host::key_down(keys, key); });
}

bool keyboard_button_pressed(const host::KeyStates& keys, const std::array<int, 25>& button_keys, int player,
                             int button, const KeyContext& context) {
  return any_key(keys, button_keys, player, button, context,
                 [&](int key) { return host::key_pressed(keys, key); });
}

}  // namespace tamori::input
