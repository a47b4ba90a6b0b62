#include "shell/running_keys.h"

#include "cart/tmscii_utf8.h"
#include "host/keys.h"
#include "host/scancodes.h"
#include "input/button_update.h"
#include "runner/program_runner.h"

namespace tamori::shell {
namespace {

void append_limited(std::string& buffer, char code) {
  if (buffer.size() < kRunningKeyBufferSize) buffer += code;
}

}  // namespace

void store_typed_characters(std::string& buffer, std::string_view tmscii) {
  for (unsigned char code : tmscii) {
    if (code >= 'A' && code <= 'Z') code = static_cast<unsigned char>(code + 63);
    else if (code == 127) code = 8;
    else if (code > 153) continue;
    append_limited(buffer, static_cast<char>(code));
  }
}

void store_ctrl_letter(std::string& buffer, char letter) {
  if (letter < 'a' || letter > 'z') return;
  append_limited(buffer, static_cast<char>(letter + 95));
}

void collect_running_keys(Console& console) {
  AppState& app = console.app;
  std::string& buffer = console.input.keyboard.typed;
  const std::string typed = cart::utf8_to_tmscii(app.typed_text);
  app.typed_text.clear();
  const host::KeyStates& keys = app.keys;
  if (keys.ctrl) {
    for (char letter = 'a'; letter <= 'z'; ++letter) {
      const int scancode = host::scancode::A + (letter - 'a');
      // P and R belong to the hot keys.
      if (letter == 'p' || letter == 'r' || !host::key_pressed(keys, scancode)) continue;
      if (letter != 'v') {
        store_ctrl_letter(buffer, letter);
        continue;
      }
      const std::string pasted =
          app.platform.clipboard_text ? cart::utf8_to_tmscii(app.platform.clipboard_text(app.platform.context)) : "";
      runner::program_runner().printh_log.clipboard = pasted;
      for (char code : pasted) append_limited(buffer, code);
      input::block_buttons(console.input, *console.machine);
    }
    return;
  }
  if (console.pstate.pause_state == 0) store_typed_characters(buffer, typed);
}

}  // namespace tamori::shell
