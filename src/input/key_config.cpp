#include "input/key_config.h"

#include "host/scancode_names.h"
#include "host/scancodes.h"

namespace tamori::input {
namespace {

constexpr char kOGlyph = char(142);
constexpr char kXGlyph = char(151);

const char* const kBuiltInNames[kKeyConfigEntries] = {
    "left", "right", "up", "down", "z / c / n", "x / v / m", "s", "f", "e", "d", "tab", "q", "p / enter",
};

bool valid_entry(int entry) { return entry >= 0 && entry < kKeyConfigEntries; }

}  // namespace

std::string key_config_label(int entry) {
  if (!valid_entry(entry)) return std::string();
  if (entry == 12) return "pause      ";
  const std::string player = entry < 6 ? "p1 " : "p2 ";
  switch (entry % 6) {
    case 0: return player + "left    ";
    case 1: return player + "right   ";
    case 2: return player + "up      ";
    case 3: return player + "down    ";
    case 4: return player + kOGlyph + "      ";
    default: return player + kXGlyph + "      ";
  }
}

std::string key_config_key_name(int entry, int scancode) {
  if (scancode != 0) return host::scancode_name(scancode);
  return valid_entry(entry) ? kBuiltInNames[entry] : "";
}

void keyconfig_init(KeyConfigScreen& screen, const ButtonKeys& button_keys) {
  screen.open = true;
  screen.current = 0;
  screen.ready = false;
  screen.saved = button_keys;
}

bool keyconfig_update(KeyConfigScreen& screen, ButtonKeys& button_keys, const host::KeyStates& keys) {
  if (!screen.open || screen.current >= kKeyConfigEntries) return false;
  int found = -1;
  for (int scancode = 0; scancode < host::kScancodeCount && found < 0; scancode++)
    if (host::key_down(keys, scancode) && scancode != host::scancode::Escape) found = scancode;
  if (!screen.ready) {
    // Wait for every key to be up, so the key that opened the screen (or
    // the previous entry's key) is not taken for this entry.
    screen.ready = found < 0 && !host::key_down(keys, host::scancode::Escape);
    return false;
  }
  if (found < 0) return false;
  const bool built_in = found == host::scancode::Backspace || found == host::scancode::Delete;
  button_keys[size_t(screen.current)] = built_in ? 0 : found;
  screen.current++;
  screen.ready = false;
  return screen.current == kKeyConfigEntries;
}

bool keyconfig_keypress(KeyConfigScreen& screen, ButtonKeys& button_keys, int scancode) {
  if (!screen.open || scancode != host::scancode::Escape) return false;
  keyconfig_close(screen, button_keys);
  return true;
}

void keyconfig_close(KeyConfigScreen& screen, ButtonKeys& button_keys) {
  if (!screen.open) return;
  if (screen.current < kKeyConfigEntries) button_keys = screen.saved;
  screen.open = false;
}

}  // namespace tamori::input
