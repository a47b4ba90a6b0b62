// The input system's long-lived record: the button grid, controller slots,
// developer mouse and keyboard, serial channels, and the settings and
// console conditions the button reading depends on. The shell keeps one for
// the whole session.
#pragma once

#include <array>
#include <cstdint>

#include "input/button_grid.h"
#include "input/controllers.h"
#include "input/developer_input.h"
#include "input/input_recording.h"
#include "input/key_config.h"
#include "input/serial_functions.h"

namespace tamori::input {

inline constexpr int kButtonKeyCount = 25;

// Copied from the console settings when they are loaded or changed.
struct InputSettings {
  int joystick_index = 0;   // first player driven by controllers
  int merge_joysticks = 0;  // the first max(n - 1, 0) + 1 controllers drive that player
  std::array<int, kButtonKeyCount> button_keys{};
};

// What the console is doing, refreshed by the main loop before each update.
struct ConsoleConditions {
  bool program_running = false;  // console mode 1
  bool pause_state_open = false;
  int requested_fps = 30;
};

struct InputState {
  ButtonGrid buttons;
  ControllerSlots controllers;
  DeveloperMouse mouse;
  DeveloperKeyboard keyboard;
  SerialState serial;
  InputSettings settings;
  ConsoleConditions conditions;
  // Buttons held by a script (headless runs and recordings), one bit per
  // button for each player; read like keys.
  uint8_t scripted_held[8] = {};
  // What keys, controllers, mouse and script held at the last reading,
  // before blocking (one bit per button): what a recording keeps.
  uint8_t held_bits[8] = {};
  InputReplay replay;
  InputRecorder recorder;
  KeyConfigScreen key_config;
  // Set by the program's keyconfig(); the main loop opens the screen.
  bool key_config_requested = false;
};

}  // namespace tamori::input
