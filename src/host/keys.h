// Keyboard state per scancode, as the console reads it each frame: 0 up,
// 1 held, 3 pressed this frame. One repeat timer serves all keys: a new press
// arms it for 500 ms; when it fires, every held key reports 3 again and it
// re-arms for 80 ms.
#pragma once

#include <array>
#include <cstdint>

#include "host/config.h"

namespace tamori::host {

inline constexpr uint8_t kKeyUp = 0, kKeyHeld = 1, kKeyPressed = 3;
inline constexpr int kFirstRepeatMs = 500, kNextRepeatMs = 80;

struct KeyStates {
  std::array<bool, kScancodeCount> physically_down{};  // as the host events left them
  std::array<bool, kScancodeCount> was_down{};
  std::array<bool, kScancodeCount> blocked{};          // held blocked until released
  std::array<uint8_t, kScancodeCount> state{};
  bool pressed_since_last_frame[kScancodeCount] = {};
  int32_t repeat_at_ms = 0;
  bool repeat_armed = false;
  bool ctrl = false, alt = false, shift = false;
};

// Host events (scancode already remapped by map_scancodes).
void keys_host_down(KeyStates& keys, int scancode);
void keys_host_up(KeyStates& keys, int scancode);
void keys_release_all(KeyStates& keys);  // focus lost

// Derives this frame's states from the host events since the last frame.
void keys_update(KeyStates& keys, int32_t now_ms);

uint8_t key_state(const KeyStates& keys, int scancode);
bool key_down(const KeyStates& keys, int scancode);
bool key_pressed(const KeyStates& keys, int scancode);
// Keeps the key reading 0 until it is released.
void key_block(KeyStates& keys, int scancode);

// The scancode that pressing `scancode` generates under `map_scancodes`.
int remap_scancode(const RuvoConfig& config, int scancode);

}  // namespace tamori::host
