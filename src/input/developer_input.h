// The developer mouse and keyboard that a program reads through `stat`
// 28..39 once it sets bit 0 of the flags byte at 0x5f2d. The host reports
// pointer, wheel, motion and typed text; the button update takes the wheel
// and motion once a frame.
#pragma once

#include <cstdint>
#include <string>

#include "host/keys.h"
#include "host/window_layout.h"

namespace tamori::input {

// Bits of the flags byte at 0x5f2d.
inline constexpr uint8_t kDeveloperInputEnabled = 1;
inline constexpr uint8_t kMouseDrivesButtons = 2;
inline constexpr uint8_t kPointerLock = 4;

// Mouse button bits as `stat(34)` reports them.
inline constexpr int kMouseLeft = 1, kMouseRight = 2, kMouseMiddle = 4;

struct DeveloperMouse {
  int x = 0, y = 0;            // pointer position in back-page pixels
  int host_buttons = 0;        // as the host reports them (kMouse* bits)
  bool right_click_key_held = false;  // the `rmb_key` turns left clicks into right ones
  int virtual_x = 0, virtual_y = 0;   // the pointer while locked, in window pixels
  // Received since the last button update, and what that update took.
  int pending_wheel_x = 0, pending_wheel_y = 0;
  int pending_motion_x = 0, pending_motion_y = 0;
  int wheel_x = 0, wheel_y = 0;
  int motion_x = 0, motion_y = 0;
  // Change tracking for stat(37).
  int previous_x = 0, previous_y = 0, previous_buttons = 0;
  int change_mask = 0;
  bool notice_shown = false;
};

struct DeveloperKeyboard {
  std::string typed;  // tmscii characters typed and not yet taken
  bool notice_shown = false;
};

inline bool pointer_lock_requested(uint8_t flags) {
  return (flags & (kDeveloperInputEnabled | kPointerLock)) == (kDeveloperInputEnabled | kPointerLock);
}

// Window pixels to back-page pixels through the rectangle the back page is
// drawn into.
void mouse_set_window_position(DeveloperMouse& mouse, int window_x, int window_y, const host::Rect& rectangle,
                               int page_width, int page_height);
// Pointer-locked motion: the pointer's offset from the window centre moves
// the virtual position (kept inside the window) and adds to relative motion.
void mouse_add_locked_motion(DeveloperMouse& mouse, int offset_x, int offset_y, int window_width,
                             int window_height);
void mouse_add_wheel(DeveloperMouse& mouse, int steps_x, int steps_y);

// The buttons as the program sees them (the right-click key applied).
int mouse_buttons(const DeveloperMouse& mouse);

// Once per button update: the wheel and motion received since the last one
// become this frame's values.
void mouse_take_frame_motion(DeveloperMouse& mouse);
// Once per tick while a program runs: records which of x, y and buttons
// changed since the previous tick.
void mouse_track_changes(DeveloperMouse& mouse);

// stat(32..39) with the flags byte of 0x5f2d; values are 16-bit integers.
// stat(37) clears the change mask. Anything else reads 0.
int32_t developer_mouse_stat(DeveloperMouse& mouse, int index, uint8_t flags);

// stat(28, key), stat(30), stat(31): false / empty while bit 0 of the flags
// is clear. `key` < 0 stands for an argument that is not a number.
bool developer_key_down(const host::KeyStates& keys, int key, uint8_t flags);
bool developer_character_waiting(const DeveloperKeyboard& keyboard, uint8_t flags);
std::string developer_take_character(DeveloperKeyboard& keyboard, uint8_t flags);

// The message bar text for the first developer-input read of a cartridge
// with a board identifier ("devkit mouse enabled" / "devkit keyboard
// enabled"), or empty when it was shown before or does not apply.
std::string developer_mouse_notice(DeveloperMouse& mouse, bool has_board_id);
std::string developer_keyboard_notice(DeveloperKeyboard& keyboard, bool has_board_id);
inline constexpr int32_t kDeveloperNoticeMs = 2000;

}  // namespace tamori::input
