// The timed message bar at the bottom of the screen.
#pragma once

#include <string>

#include "machine/display.h"
#include "machine/interface_text.h"
#include "shell/console_state.h"

namespace tamori::shell {

inline constexpr int kMessageBaseMs = 400;

void show_message(MessageBar& bar, const std::string& text, int extra_ms, int32_t now_ms);
void show_message_2(MessageBar& bar, const char* format, int extra_ms, int a, int b, int32_t now_ms);
// A hint shown only while no timed message is due within 10 ms.
void show_message_hover(MessageBar& bar, const char* format, int a, int b, int32_t now_ms);

bool message_visible(const MessageBar& bar, int32_t now_ms);
// How far (0..10 pixels) the strip is slid down at `now_ms`.
int message_slide(const MessageBar& bar, int32_t now_ms);
void draw_message_bar(const MessageBar& bar, const machine::Font& font, machine::Canvas canvas, int32_t now_ms);

}  // namespace tamori::shell
