// Drawing of the key-configuration screen: a title strip, a picture of the
// button being configured, the prompt beside it and, on the panel below,
// one line per entry with its current key.
#include "input/key_config.h"

namespace tamori::input {
namespace {

constexpr int kPictureX = 6, kPictureY = 8, kPictureWidth = 30, kPictureHeight = 26;
constexpr int kPictureScale = 3;
constexpr int kPromptX = 40;
constexpr int kFirstLineY = 44, kLineStep = 6, kLineX = 8;

// The glyph standing for each entry's button: the arrows, O, X and "p".
unsigned char entry_glyph(int entry) {
  if (entry == 12) return 'p';
  static const unsigned char kGlyphs[6] = {139, 145, 148, 131, 142, 151};
  return kGlyphs[entry % 6];
}

void draw_scaled_glyph(machine::Canvas canvas, const machine::Font& font, unsigned char code, int x, int y,
                       int scale, uint8_t colour) {
  const host::PodImage& glyph = font[code];
  for (int gy = 0; gy < glyph.height; gy++)
    for (int gx = 0; gx < glyph.width; gx++)
      if (glyph.pixels[size_t(gy) * size_t(glyph.width) + size_t(gx)])
        machine::canvas_fill_rect(canvas, x + gx * scale, y + gy * scale, x + gx * scale + scale - 1,
                                  y + gy * scale + scale - 1, colour);
}

void draw_button_picture(const KeyConfigScreen& screen, machine::Canvas canvas, const machine::Font& font) {
  machine::canvas_fill_rect(canvas, kPictureX, kPictureY, kPictureX + kPictureWidth - 1,
                            kPictureY + kPictureHeight - 1, 13);
  machine::canvas_fill_rect(canvas, kPictureX + 1, kPictureY + 1, kPictureX + kPictureWidth - 2,
                            kPictureY + kPictureHeight - 2, 0);
  if (screen.current >= kKeyConfigEntries) return;
  const unsigned char code = entry_glyph(screen.current);
  const int width = (code < 128 ? 4 : 8) * kPictureScale;
  const int height = 6 * kPictureScale;
  draw_scaled_glyph(canvas, font, code, kPictureX + (kPictureWidth - width) / 2,
                    kPictureY + (kPictureHeight - height) / 2, kPictureScale, 7);
}

void draw_prompt(const KeyConfigScreen& screen, machine::Canvas canvas, const machine::Font& font) {
  if (screen.current < kKeyConfigEntries) {
    machine::draw_interface_text(canvas, font, "press key for:", kPromptX, 10, 6);
    machine::draw_interface_text(canvas, font, key_config_label(screen.current), kPromptX, 17, 7);
    machine::draw_interface_text(canvas, font, "del for default", kPromptX, 26, 13);
    machine::draw_interface_text(canvas, font, "esc to cancel", kPromptX, 32, 13);
  } else {
    machine::draw_interface_text(canvas, font, "saved config.", kPromptX, 10, 11);
    machine::draw_interface_text(canvas, font, "press escape", kPromptX, 20, 12);
    machine::draw_interface_text(canvas, font, "to continue", kPromptX, 26, 12);
  }
}

}  // namespace

void keyconfig_draw(const KeyConfigScreen& screen, const ButtonKeys& button_keys, machine::Canvas canvas,
                    const machine::Font& font) {
  machine::canvas_fill_rect(canvas, 0, 0, 127, 127, 1);
  machine::canvas_fill_rect(canvas, 4, 41, 123, 124, 6);
  machine::canvas_fill_rect(canvas, 0, 0, 127, 6, 7);
  machine::draw_interface_text(canvas, font, "player key config", 30, 1, 12);
  draw_button_picture(screen, canvas, font);
  draw_prompt(screen, canvas, font);
  for (int entry = 0; entry < kKeyConfigEntries; entry++) {
    const int y = kFirstLineY + entry * kLineStep;
    const bool current = entry == screen.current;
    // Glyph ink is on rows 0..4: the bar leaves the row above as margin.
    if (current) machine::canvas_fill_rect(canvas, 5, y - 1, 122, y + 4, 14);
    const std::string line =
        key_config_label(entry) + " : " + key_config_key_name(entry, button_keys[size_t(entry)]);
    machine::draw_interface_text(canvas, font, line, kLineX, y, current ? 1 : 5);
  }
}

}  // namespace tamori::input
