// Printing characters: glyphs from the font in use or given in the text,
// wrapping, scrolling and line feeds.
#include <algorithm>
#include <cstring>

#include "machine/font_data.h"
#include "machine/glyph_painter.h"
#include "machine/memory.h"
#include "machine/pixel_writer.h"
#include "machine/print_steps.h"

namespace tamori::machine {

namespace {

constexpr uint8_t kNoScrollFlag = 0x40;  // in 0x5f36
constexpr int64_t kScrollCycles = 65536;
constexpr int32_t kScrollLineLimit = 122;
constexpr int32_t kLineFeedScrollRows = 6;

const FontBytes& font_in_use(const PrintRun& run) {
  return run.context.using_custom_font ? run.context.custom_font : run.text_state.builtin_font;
}

// Everything about drawing one character except where its rows come from.
void print_glyph(PrintRun& run, const uint8_t rows[8], int32_t width, int32_t height, bool raised, bool padding) {
  PrintContext& context = run.context;
  MachineState& state = run.state;
  context.remembered_x = context.cursor_x;
  context.remembered_y = context.cursor_y;
  if (context.wrap && context.cursor_x > context.wrap_boundary - width) {
    context.cursor_x = context.home_x;
    context.cursor_y += print_line_height(context);
    context.line_height = 0;
  }
  bool double_x = context.wide || context.pinball;
  bool double_y = context.tall || context.pinball;
  int32_t drawn_height = height * (double_y ? 2 : 1);
  if (context.scrolling) {
    int32_t bottom = context.cursor_y + context.metrics.offset_y + drawn_height;
    int32_t limit = kPixelPageSize + state.registers.camera_y;
    if (bottom > limit && !print_scrolling_suppressed(run)) {
      scroll_print_target(run, bottom - limit);
      context.cursor_y -= bottom - limit;
    }
  }

  GlyphStyle style;
  style.scale_x = double_x ? 2 : 1;
  style.scale_y = double_y ? 2 : 1;
  style.dotty_columns = context.pinball || (context.dotty && context.wide && !context.tall);
  style.dotty_rows = context.pinball || (context.dotty && context.tall);
  style.padding = padding;
  style.inverted = context.inverted;
  style.solid_background = context.solid_background;
  style.background_pair = state.registers.draw_palette[context.background & 15];
  style.outline_mask = context.outline_mask;
  style.outline_colour = context.outline_uses_foreground ? context.foreground : context.outline_colour;
  style.colour = state.registers.draw_palette[context.foreground & 15] & 15;
  int32_t x = context.cursor_x + context.metrics.offset_x - state.registers.camera_x;
  int32_t y = context.cursor_y + context.metrics.offset_y - state.registers.camera_y - (raised ? 1 : 0);
  int64_t area = paint_glyph(state, rows, width, height, x, y, style);
  run.cycles += area / 2;
  finish_drawing(state, 0);

  int32_t advance = width * style.scale_x;
  context.cursor_x += advance;
  context.last_advance = advance;
  context.line_height = std::max(context.line_height, drawn_height);
  if (context.return_after_next) {
    context.return_after_next = false;
    context.cursor_x = context.return_x;
    context.cursor_y = context.return_y;
  }
  if (context.per_character_delay >= 1) context.frames_to_wait = context.per_character_delay;
}

}  // namespace

int32_t print_line_height(const PrintContext& context) {
  return context.line_height != 0 ? context.line_height : context.metrics.height;
}

int32_t print_parameter_value(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a') return c - 87;
  return 0;
}

bool read_print_parameter(PrintContext& context, int32_t& value) {
  if (context.position >= context.text.size()) return false;
  value = print_parameter_value(static_cast<uint8_t>(context.text[context.position++]));
  return true;
}

bool print_scrolling_suppressed(const PrintRun& run) {
  return run.context.program_running && (read_memory_byte(run.state, 0x5f36) & kNoScrollFlag);
}

void scroll_print_target(PrintRun& run, int32_t rows) {
  rows = std::clamp(rows, 0, kPixelPageSize);
  uint8_t* pixels = run.state.draw_target->pixels;
  size_t kept = static_cast<size_t>(kPixelPageSize - rows) * kPixelPageSize;
  std::memmove(pixels, pixels + rows * kPixelPageSize, kept);
  std::memset(pixels + kept, 0, static_cast<size_t>(rows) * kPixelPageSize);
  finish_drawing(run.state, 0);
  run.cycles += kScrollCycles;
}

void print_line_feed(PrintRun& run) {
  PrintContext& context = run.context;
  context.cursor_x = context.home_x;
  context.cursor_y += print_line_height(context);
  context.line_height = 0;
  if (!context.scrolling) return;
  if (context.cursor_y > run.state.registers.camera_y + kScrollLineLimit && !print_scrolling_suppressed(run)) {
    context.cursor_y -= kLineFeedScrollRows;
    scroll_print_target(run, kLineFeedScrollRows);
  }
}

void print_font_character(PrintRun& run, uint8_t code) {
  const FontBytes& font = font_in_use(run);
  const FontMetrics& metrics = run.context.metrics;
  GlyphAdjustment adjustment = glyph_adjustment(font, code);
  int32_t width = (code >= 128 ? metrics.wide_width : metrics.width) + adjustment.width_change;
  print_glyph(run, font.data() + 8 * code, width, metrics.height, adjustment.raised, run.context.padding);
}

void print_one_off_glyph(PrintRun& run, const uint8_t rows[8], bool padding) {
  print_glyph(run, rows, 8, 8, false, padding);
}

}  // namespace tamori::machine
