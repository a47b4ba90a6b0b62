// The pause menu's record (Console::pause): the items of the open page, the
// highlighted one, and the emergency hold of the pause key that opens the
// menu even when the program never reaches flip.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamori::shell {

inline constexpr int kPauseStateMainPage = 1;
inline constexpr int kPauseStateControls = 3;
inline constexpr int kPauseStateOptions = 4;

// What choosing an item does.
enum PauseAction : int {
  kPauseContinue = 0,
  kPauseResetCart = 1,
  kPauseBreadcrumb = 5,
  kPauseQuit = 6,
  kPauseOptions = 8,
  kPauseSound = 9,
  kPauseFullscreen = 10,
  kPauseBack = 11,
  kPauseControls = 13,
  kPauseVolume = 19,
  kPauseCartItem1 = 257,  // ..261 for cartridge items 1..5
};

struct PausedMenuItem {
  std::string label;  // at most 16 characters
  int action = kPauseContinue;
};

struct PauseMenu {
  std::vector<PausedMenuItem> items;  // at most 12
  int selection = 0;
  // Host time at which player 0's pause key was last seen up, and how many
  // host-loop iterations in a row it has been down since.
  int32_t pause_button_state_t = 0;
  int pause_button_held_frames = 0;
};

}  // namespace tamori::shell
