#include "shell/message_bar.h"

#include <algorithm>
#include <cstdio>

namespace tamori::shell {

void show_message(MessageBar& bar, const std::string& text, int extra_ms, int32_t now_ms) {
  bar.text = text.substr(0, 255);
  bar.start_ms = now_ms;
  bar.end_ms = now_ms + extra_ms + kMessageBaseMs;
  bar.colour = 15;
}

void show_message_2(MessageBar& bar, const char* format, int extra_ms, int a, int b, int32_t now_ms) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, a, b);
  show_message(bar, buffer, extra_ms, now_ms);
}

void show_message_hover(MessageBar& bar, const char* format, int a, int b, int32_t now_ms) {
  if (bar.end_ms - now_ms > -10 && bar.start_ms != 0) return;
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, a, b);
  bar.hover_text = buffer;
}

bool message_visible(const MessageBar& bar, int32_t now_ms) { return now_ms - bar.end_ms < 0; }

int message_slide(const MessageBar& bar, int32_t now_ms) {
  if (bar.start_ms == 0) return 0;
  int d = 0;
  if (now_ms - bar.start_ms < 200)
    d = (bar.start_ms - now_ms + 200) / 20;
  else if (bar.end_ms - now_ms < 200)
    d = (now_ms - bar.end_ms + 200) / 20;
  return std::clamp(d, 0, 10);
}

void draw_message_bar(const MessageBar& bar, const machine::Font& font, machine::Canvas canvas, int32_t now_ms) {
  if (message_visible(bar, now_ms)) {
    const int d = message_slide(bar, now_ms);
    if (bar.text == "devkit mouse enabled" || bar.text == "devkit keyboard enabled") {
      const int right = bar.text == "devkit mouse enabled" ? 101 : canvas.width - 1;
      machine::canvas_fill_rect(canvas, 0, 120 + d, right, 127 + d, 0);
      machine::canvas_fill_rect(canvas, 1, 121 + d, right - 1, 127 + d, 6);
      machine::draw_interface_text(canvas, font, bar.text, 16, 122 + d, 1);
      return;
    }
    machine::canvas_fill_rect(canvas, 0, 121 + d, canvas.width - 1, 127 + d, 8);
    machine::draw_interface_text(canvas, font, bar.text, 1, 122 + d, bar.colour);
  } else if (!bar.hover_text.empty()) {
    machine::canvas_fill_rect(canvas, 0, 121, canvas.width - 1, 127, 8);
    machine::draw_interface_text(canvas, font, bar.hover_text, 1, 122, 2);
  }
}

}  // namespace tamori::shell
