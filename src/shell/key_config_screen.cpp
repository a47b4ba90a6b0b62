#include "shell/key_config_screen.h"

#include "host/scancodes.h"
#include "input/button_update.h"
#include "input/key_config.h"

namespace tamori::shell {

void open_key_config(Console& console) {
  input::keyconfig_init(console.input.key_config, console_settings().button_keys);
  if (console.pstate.console_mode == kModeRunning) console.pstate.pause_state = kPauseStateKeyConfig;
  console.input.conditions.pause_state_open = console.pstate.pause_state != 0;
  input::block_buttons(console.input, *console.machine);
}

void take_key_config_request(Console& console) {
  if (!console.input.key_config_requested) return;
  console.input.key_config_requested = false;
  open_key_config(console);
}

bool key_config_shown(const Console& console) {
  if (!console.input.key_config.open) return false;
  return console.pstate.console_mode == kModeStopped || console.pstate.pause_state == kPauseStateKeyConfig;
}

void key_config_tick(Console& console) {
  if (!key_config_shown(console)) return;
  if (input::keyconfig_update(console.input.key_config, console_settings().button_keys, console.app.keys))
    console.input.keyboard.typed.clear();
}

bool key_config_escape(Console& console) {
  if (!console.input.key_config.open) return false;
  input::keyconfig_keypress(console.input.key_config, console_settings().button_keys, host::scancode::Escape);
  return true;
}

void draw_key_config(Console& console) {
  machine::BackPage& page = console.app.back_page;
  machine::Canvas canvas{page.pixels.data(), page.width, page.height};
  input::keyconfig_draw(console.input.key_config, console_settings().button_keys, canvas, console.app.data.font);
}

}  // namespace tamori::shell
