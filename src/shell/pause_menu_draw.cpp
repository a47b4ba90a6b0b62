#include "shell/pause_menu_draw.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include "host/scancode_names.h"
#include "input/controllers.h"
#include "input/keyboard_bindings.h"
#include "machine/interface_text.h"
#include "shell/pause_menu.h"

namespace tamori::shell {
namespace {

constexpr uint8_t kTextColour = 7;
constexpr uint8_t kLabelColour = 13;
constexpr uint8_t kRaisedShadowColour = 1;
constexpr uint8_t kPressedColour = 10;

// Each colour's darker neighbour. The box behind the menu goes two steps
// darker, so that the text stays readable over bright pictures.
constexpr uint8_t kDarker[16] = {0, 0, 1, 1, 2, 1, 5, 6, 2, 4, 9, 3, 1, 1, 2, 5};

void darken_rect(machine::Canvas canvas, int x0, int y0, int x1, int y1) {
  for (int y = std::max(y0, 0); y <= std::min(y1, canvas.height - 1); y++)
    for (int x = std::max(x0, 0); x <= std::min(x1, canvas.width - 1); x++) {
      uint8_t& pixel = canvas.pixels[size_t(y) * canvas.width + x];
      pixel = kDarker[kDarker[pixel & 15]];
    }
}

void outline_rect(machine::Canvas canvas, int x0, int y0, int x1, int y1, uint8_t colour) {
  machine::canvas_fill_rect(canvas, x0, y0, x1, y0, colour);
  machine::canvas_fill_rect(canvas, x0, y1, x1, y1, colour);
  machine::canvas_fill_rect(canvas, x0, y0, x0, y1, colour);
  machine::canvas_fill_rect(canvas, x1, y0, x1, y1, colour);
}

const host::PodImage& interface_image(const Console& console, int number) {
  static const host::PodImage kNone;
  auto found = console.app.data.images.find(number);
  return found == console.app.data.images.end() ? kNone : found->second;
}

void draw_item_page(Console& console, machine::Canvas canvas) {
  const PauseMenu& menu = console.pause;
  const int count = int(menu.items.size());
  const int h = (8 * count + 8) / 2;
  darken_rect(canvas, 23, 63 - h, 104, 64 + h);
  outline_rect(canvas, 24, 64 - h, 103, 63 + h, kTextColour);
  for (int i = 0; i < count; i++) {
    const int y = 70 - h + 8 * i;
    const bool selected = i == menu.selection;
    machine::draw_interface_text(canvas, console.app.data.font, menu.items[size_t(i)].label, selected ? 35 : 34, y,
                                 kTextColour);
    if (selected) machine::draw_interface_image(canvas, interface_image(console, host::kMenuPointerResource), 25, y - 1);
  }
}

// Where the controls picture and its parts sit: the box, the picture inside
// it, and within the picture each pad with its d-pad and two buttons (these
// follow the artwork of tools/art/make_images.py).
constexpr int kBoxLeft = 8, kBoxTop = 22, kBoxRight = 119, kBoxBottom = 105;
constexpr int kPictureX = 12, kPictureY = 26;
constexpr int kPadX[2] = {2, 54};
constexpr int kPadY = 8;
struct IndicatorPlace {
  int button, glyph, x, y;  // glyph position within a pad
};
constexpr IndicatorPlace kIndicators[] = {
    {0, 139, 1, 12}, {1, 145, 17, 12}, {2, 148, 9, 3}, {3, 131, 9, 21}, {4, 142, 28, 13}, {5, 151, 38, 10},
};
constexpr int kLabelY = kPictureY + 42;

// A button's arrow or letter: raised over a shadow while up, sunk by a
// pixel while held.
void draw_indicator(machine::Canvas canvas, const machine::Font& font, int glyph, int x, int y, bool held) {
  const std::string text(1, char(glyph));
  if (held) {
    machine::draw_interface_text(canvas, font, text, x, y + 1, kPressedColour);
  } else {
    machine::draw_interface_text(canvas, font, text, x, y + 1, kRaisedShadowColour);
    machine::draw_interface_text(canvas, font, text, x, y, kTextColour);
  }
}

void draw_controls_picture(Console& console, machine::Canvas canvas) {
  const machine::Font& font = console.app.data.font;
  darken_rect(canvas, kBoxLeft, kBoxTop, kBoxRight, kBoxBottom);
  outline_rect(canvas, kBoxLeft + 1, kBoxTop + 1, kBoxRight - 1, kBoxBottom - 1, kTextColour);
  machine::draw_interface_image(canvas, interface_image(console, host::kControlsPictureResource), kPictureX,
                                kPictureY);
  const std::string labels[2][2] = {
      {controls_label(0, {0, 1, 2, 3}, "cursors"), controls_label(0, {4, 5}, "z x/c v")},
      {controls_label(1, {0, 1, 2, 3}, "s f e d"), controls_label(1, {4, 5}, "tab q w")},
  };
  for (int player = 0; player < 2; player++) {
    const int pad_x = kPictureX + kPadX[player], pad_y = kPictureY + kPadY;
    machine::draw_interface_text(canvas, font, player == 0 ? "player 1" : "player 2", pad_x + 1, kPictureY, 6);
    for (const IndicatorPlace& place : kIndicators) {
      const bool held = console.input.buttons.down[input::grid_index(player, place.button)] != 0;
      draw_indicator(canvas, font, place.glyph, pad_x + place.x, pad_y + place.y, held);
    }
    machine::draw_interface_text(canvas, font, labels[player][0], pad_x + 1, kLabelY, kLabelColour);
    machine::draw_interface_text(canvas, font, labels[player][1], pad_x + 1, kLabelY + 8, kLabelColour);
  }
  char joysticks[40];
  std::snprintf(joysticks, sizeof joysticks, "%d joysticks detected",
                input::connected_controller_count(console.input.controllers));
  const int width = int(std::string_view(joysticks).size()) * 4;
  machine::draw_interface_text(canvas, font, joysticks, 64 - width / 2, kBoxBottom - 10, kLabelColour);
  machine::draw_interface_image(canvas, interface_image(console, host::kMousePointerResource), console.input.mouse.x,
                                console.input.mouse.y);
}

}  // namespace

std::string controls_label(int player, std::initializer_list<int> buttons,
                           const std::string& built_in) {
  const auto& keys = console_settings().button_keys;
  bool configured = false;
  for (int button : buttons) configured |= keys[size_t(input::button_keys_index(player, button))] != 0;
  if (!configured) return built_in;
  std::string label;
  for (int button : buttons) {
    const int custom = keys[size_t(input::button_keys_index(player, button))];
    const std::string name = host::scancode_name(custom != 0 ? custom : input::builtin_key(player, button));
    if (!label.empty()) label += ' ';
    label += name.empty() ? '?' : name[0];
  }
  return label;
}

void draw_paused_menu(Console& console) {
  machine::BackPage& page = console.app.back_page;
  machine::Canvas canvas{page.pixels.data(), page.width, page.height};
  if (console.pstate.pause_state == kPauseStateControls) draw_controls_picture(console, canvas);
  else draw_item_page(console, canvas);
}

}  // namespace tamori::shell
