// Names of keyboard scancodes as the console shows them to the user (the
// key-configuration screen), in lower case: "a", "return", "keypad 4",
// "left shift". A scancode without a name is shown as "key N".
#pragma once

#include <string>

namespace tamori::host {

std::string scancode_name(int scancode);

}  // namespace tamori::host
