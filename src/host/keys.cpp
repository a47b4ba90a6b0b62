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

void keys_update(KeyStates& keys, int32_t now_ms) {
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
  using namespace scancode;
  keys.ctrl = key_down(keys, LeftCtrl) || key_down(keys, RightCtrl) || key_down(keys, LeftGui) ||
              key_down(keys, RightGui);
  keys.alt = key_down(keys, LeftAlt) || key_down(keys, RightAlt);
  keys.shift = key_down(keys, LeftShift) || key_down(keys, RightShift);
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
