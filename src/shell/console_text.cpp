#include "shell/console_text.h"

#include <algorithm>
#include <cstring>

namespace tamori::shell {
namespace {

constexpr int kSide = machine::kScreenSide;
constexpr int kScrollCycles = 0x20000;

machine::Canvas canvas_of(ConsoleTextScreen& screen) { return {screen.pixels.data(), kSide, kSide}; }

int scroll_up(ConsoleTextScreen& screen) {
  uint8_t* pixels = screen.pixels.data();
  std::memmove(pixels, pixels + kConsoleLineHeight * kSide, size_t(kSide - kConsoleLineHeight) * kSide);
  std::fill(pixels + kConsoleScrollRow * kSide, pixels + kSide * kSide, uint8_t(0));
  screen.cursor_y -= kConsoleLineHeight;
  return kScrollCycles;
}

}  // namespace

int console_print(ConsoleTextScreen& screen, const machine::Font& font, std::string_view text, uint8_t colour,
                  bool scrolling) {
  int cycles = 0;
  size_t lines = std::max<size_t>(1, (text.size() + kConsoleLineChars - 1) / kConsoleLineChars);
  for (size_t line = 0; line < lines; line++) {
    machine::canvas_fill_rect(canvas_of(screen), 0, screen.cursor_y, kSide - 1,
                              screen.cursor_y + kConsoleLineHeight - 1, 0);
    std::string_view piece = text.substr(std::min(text.size(), line * kConsoleLineChars), kConsoleLineChars);
    machine::draw_interface_text(canvas_of(screen), font, piece, screen.cursor_x, screen.cursor_y, colour);
    // The cursor stops just below the screen when nothing scrolls.
    screen.cursor_y = std::min(screen.cursor_y + kConsoleLineHeight, kSide);
    // Advancing below the last line scrolls the screen up one line.
    while (scrolling && screen.cursor_y > kConsoleScrollRow) cycles += scroll_up(screen);
  }
  return cycles;
}

void console_clear(ConsoleTextScreen& screen) {
  screen.pixels.fill(0);
  screen.cursor_x = 0;
  screen.cursor_y = 0;
}

}  // namespace tamori::shell
