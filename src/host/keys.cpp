#include "host/keys.h"

#include "host/scancodes.h"

namespace tamori::host {
namespace {

bool valid(int scancode) { return scancode >= 0 && scancode < kScancodeCount; }

}  // namespace

void keys_host_down(KeyStates& keys, int scancode) {
  if (!valid(scancode)) return;
  if (!keys.physically_down[size_t(scancode)]) keys.pressed_since_last_frame[scancode] = true;
  keys.physically_down[size_t(scancode)] = true;
}

void keys_host_up(KeyStates& keys, int scancode) {
  if (valid(scancode)) keys.physically_down[size_t(scancode)] = false;
}

void keys_release_all(KeyStates& keys) { keys.physically_down.fill(false); }

namespace {

// A modifier counts as held in a frame when it was down at any moment of
// it: still down, pressed since the last frame, or down when the frame
// began. So a chord whose modifier goes up in the same frame as its key
// goes down (as when the events of a quick Ctrl+key straddle two frames)
// keeps its modifier.
bool held_during_frame(const KeyStates& keys, int scancode) {
  const size_t i = size_t(scancode);
  return !keys.blocked[i] && (keys.physically_down[i] || keys.pressed_since_last_frame[i] || keys.was_down[i]);
}

}  // namespace

void keys_update(KeyStates& keys, int32_t now_ms) {
  using namespace scancode;
  const bool ctrl = held_during_frame(keys, LeftCtrl) || held_during_frame(keys, RightCtrl) ||
                    held_during_frame(keys, LeftGui) || held_during_frame(keys, RightGui);
  const bool alt = held_during_frame(keys, LeftAlt) || held_during_frame(keys, RightAlt);
  const bool shift = held_during_frame(keys, LeftShift) || held_during_frame(keys, RightShift);
  bool any_new_press = false;
  for (int i = 0; i < kScancodeCount; i++) {
    // A press and release within one frame still counts as a press.
    bool down = keys.physically_down[size_t(i)] || keys.pressed_since_last_frame[i];
    bool newly = down && (!keys.was_down[size_t(i)] || keys.pressed_since_last_frame[i]);
    if (!keys.physically_down[size_t(i)]) keys.blocked[size_t(i)] = false;
    keys.state[size_t(i)] = newly ? kKeyPressed : down ? kKeyHeld : kKeyUp;
    any_new_press = any_new_press || newly;
    keys.was_down[size_t(i)] = keys.physically_down[size_t(i)];
    keys.pressed_since_last_frame[i] = false;
  }
  if (any_new_press) {
    keys.repeat_at_ms = now_ms + kFirstRepeatMs;
    keys.repeat_armed = true;
  } else if (keys.repeat_armed && now_ms - keys.repeat_at_ms >= 0) {
    for (uint8_t& state : keys.state)
      if (state == kKeyHeld) state = kKeyPressed;
    keys.repeat_at_ms = now_ms + kNextRepeatMs;
  }
  for (int i = 0; i < kScancodeCount; i++)
    if (keys.blocked[size_t(i)]) keys.state[size_t(i)] = kKeyUp;
  keys.ctrl = ctrl;
  keys.alt = alt;
  keys.shift = shift;
}

uint8_t key_state(const KeyStates& keys, int scancode) {
  return valid(scancode) ? keys.state[size_t(scancode)] : kKeyUp;
}

bool key_down(const KeyStates& keys, int scancode) { return key_state(keys, scancode) != kKeyUp; }

bool key_pressed(const KeyStates& keys, int scancode) { return key_state(keys, scancode) == kKeyPressed; }

void key_block(KeyStates& keys, int scancode) {
  if (!valid(scancode)) return;
  keys.blocked[size_t(scancode)] = true;
  keys.state[size_t(scancode)] = kKeyUp;
}

int remap_scancode(const RuvoConfig& config, int scancode) {
  if (!valid(scancode)) return scancode;
  int mapped = config.scancode_map[size_t(scancode)];
  return mapped ? mapped : scancode;
}

}  // namespace tamori::host
