// The console text screen: the 128x128 picture that the console prints its
// own lines into (32 characters a line, 6 pixels high, scrolling), shown
// whenever no program runs.
#pragma once

#include <string_view>

#include "machine/interface_text.h"
#include "shell/console_state.h"

namespace tamori::shell {

inline constexpr int kConsoleLineChars = 32;
inline constexpr int kConsoleLineHeight = 6;
inline constexpr int kConsoleScrollRow = 122;
inline constexpr uint8_t kConsoleDefaultColour = 6;

// Prints one line (wrapped every 32 characters). Returns the CPU cycles the
// scrolling cost (0x20000 per scroll), for a running program to be charged.
// Without scrolling, lines past the bottom are drawn off the screen.
int console_print(ConsoleTextScreen& screen, const machine::Font& font, std::string_view text,
                  uint8_t colour = kConsoleDefaultColour, bool scrolling = true);
void console_clear(ConsoleTextScreen& screen);

}  // namespace tamori::shell
