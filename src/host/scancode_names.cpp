#include "host/scancode_names.h"

#include <iterator>

namespace tamori::host {
namespace {

// Scancodes 40..57 and 70..88 have one name each; letters, digits, the
// keypad digits and the function keys are built below.
const char* const kNamesFrom40[] = {
    "return",      "escape",      "backspace", "tab",      "space",    "-",         "=",        "[",
    "]",           "\\",          "#",         ";",        "'",        "`",         ",",        ".",
    "/",           "capslock",
};
const char* const kNamesFrom70[] = {
    "printscreen", "scrolllock",  "pause",     "insert",   "home",     "pageup",    "delete",   "end",
    "pagedown",    "right",       "left",      "down",     "up",       "numlock",   "keypad /", "keypad *",
    "keypad -",    "keypad +",    "keypad enter",
};
const char* const kModifierNames[] = {
    "left ctrl", "left shift", "left alt", "left gui", "right ctrl", "right shift", "right alt", "right gui",
};

}  // namespace

std::string scancode_name(int scancode) {
  if (scancode >= 4 && scancode <= 29) return std::string(1, char('a' + scancode - 4));
  if (scancode >= 30 && scancode <= 38) return std::string(1, char('1' + scancode - 30));
  if (scancode == 39) return "0";
  if (scancode >= 40 && scancode < 40 + int(std::size(kNamesFrom40))) return kNamesFrom40[scancode - 40];
  if (scancode >= 58 && scancode <= 69) return "f" + std::to_string(scancode - 57);
  if (scancode >= 70 && scancode < 70 + int(std::size(kNamesFrom70))) return kNamesFrom70[scancode - 70];
  if (scancode >= 89 && scancode <= 97) return "keypad " + std::to_string(scancode - 88);
  if (scancode == 98) return "keypad 0";
  if (scancode == 99) return "keypad .";
  if (scancode == 101) return "application";
  if (scancode == 103) return "keypad =";
  if (scancode >= 104 && scancode <= 115) return "f" + std::to_string(scancode - 91);
  if (scancode >= 224 && scancode <= 231) return kModifierNames[scancode - 224];
  return "key " + std::to_string(scancode);
}

}  // namespace tamori::host
