#include "input/developer_input.h"

#include <algorithm>

namespace tamori::input {
namespace {

// Values leave as 16-bit integers, so negative motion reads back negative
// and anything larger wraps.
int32_t as_16_bit(int value) { return int16_t(uint16_t(uint32_t(value) & 0xffffu)); }

}  // namespace

void mouse_set_window_position(DeveloperMouse& mouse, int window_x, int window_y, const host::Rect& rectangle,
                               int page_width, int page_height) {
  if (rectangle.width <= 0 || rectangle.height <= 0) return;
  mouse.x = int(int64_t(window_x - rectangle.x) * page_width / rectangle.width);
  mouse.y = int(int64_t(window_y - rectangle.y) * page_height / rectangle.height);
}

void mouse_add_locked_motion(DeveloperMouse& mouse, int offset_x, int offset_y, int window_width,
                             int window_height) {
  mouse.virtual_x = std::clamp(mouse.virtual_x + offset_x, 0, std::max(window_width - 1, 0));
  mouse.virtual_y = std::clamp(mouse.virtual_y + offset_y, 0, std::max(window_height - 1, 0));
  mouse.pending_motion_x += offset_x;
  mouse.pending_motion_y += offset_y;
}

void mouse_add_wheel(DeveloperMouse& mouse, int steps_x, int steps_y) {
  mouse.pending_wheel_x += steps_x;
  mouse.pending_wheel_y += steps_y;
}

int mouse_buttons(const DeveloperMouse& mouse) {
  int buttons = mouse.host_buttons & (kMouseLeft | kMouseRight | kMouseMiddle);
  if (mouse.right_click_key_held && (buttons & kMouseLeft)) buttons = (buttons & ~kMouseLeft) | kMouseRight;
  return buttons;
}

void mouse_take_frame_motion(DeveloperMouse& mouse) {
  mouse.wheel_x = mouse.pending_wheel_x;
  mouse.wheel_y = mouse.pending_wheel_y;
  mouse.motion_x = mouse.pending_motion_x;
  mouse.motion_y = mouse.pending_motion_y;
  mouse.pending_wheel_x = mouse.pending_wheel_y = 0;
  mouse.pending_motion_x = mouse.pending_motion_y = 0;
}

void mouse_track_changes(DeveloperMouse& mouse) {
  const int buttons = mouse_buttons(mouse);
  if (mouse.x != mouse.previous_x) mouse.change_mask |= 1;
  if (mouse.y != mouse.previous_y) mouse.change_mask |= 2;
  if (buttons != mouse.previous_buttons) mouse.change_mask |= 4;
  mouse.previous_x = mouse.x;
  mouse.previous_y = mouse.y;
  mouse.previous_buttons = buttons;
}

int32_t developer_mouse_stat(DeveloperMouse& mouse, int index, uint8_t flags) {
  if (index == 37) {
    const int mask = mouse.change_mask;
    mouse.change_mask = 0;
    return mask;
  }
  if (!(flags & kDeveloperInputEnabled)) return 0;
  const bool locked = pointer_lock_requested(flags);
  switch (index) {
    case 32: return as_16_bit(locked ? mouse.virtual_x : mouse.x);
    case 33: return as_16_bit(locked ? mouse.virtual_y : mouse.y);
    case 34: return mouse_buttons(mouse);
    case 35: return as_16_bit(mouse.wheel_x);
    case 36: return as_16_bit(mouse.wheel_y);
    case 38: return locked ? as_16_bit(mouse.motion_x) : 0;
    case 39: return locked ? as_16_bit(mouse.motion_y) : 0;
    default: return 0;
  }
}

bool developer_key_down(const host::KeyStates& keys, int key, uint8_t flags) {
  if (!(flags & kDeveloperInputEnabled) || key < 0 || key >= host::kScancodeCount) return false;
  return host::key_down(keys, key);
}

bool developer_character_waiting(const DeveloperKeyboard& keyboard, uint8_t flags) {
  return (flags & kDeveloperInputEnabled) && !keyboard.typed.empty();
}

std::string developer_take_character(DeveloperKeyboard& keyboard, uint8_t flags) {
  if (!developer_character_waiting(keyboard, flags)) return {};
  std::string character = keyboard.typed.substr(0, 1);
  keyboard.typed.erase(0, 1);
  return character;
}

std::string developer_mouse_notice(DeveloperMouse& mouse, bool has_board_id) {
  if (!has_board_id || mouse.notice_shown) return {};
  mouse.notice_shown = true;
  return "devkit mouse enabled";
}

std::string developer_keyboard_notice(DeveloperKeyboard& keyboard, bool has_board_id) {
  if (!has_board_id || keyboard.notice_shown) return {};
  keyboard.notice_shown = true;
  return "devkit keyboard enabled";
}

}  // namespace tamori::input
