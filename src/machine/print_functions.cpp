#include "machine/print_functions.h"

#include <algorithm>
#include <cstring>

#include "machine/font_data.h"
#include "machine/glyph_painter.h"
#include "machine/memory.h"
#include "machine/pixel_writer.h"
#include "machine/print_sound.h"
#include "machine/print_steps.h"

namespace tamori::machine {

namespace {

constexpr uint8_t kNoLineFeedFlag = 0x04;      // in 0x5f36
constexpr uint8_t kNoScrollFlag = 0x40;        // in 0x5f36
constexpr uint8_t kAlwaysWrapFlag = 0x80;      // in 0x5f36
constexpr uint8_t kOutOfRangeReadsFlag = 0x10; // in 0x5f36: 0x5f59..0x5f5b hold other values
constexpr int64_t kScrollCycles = 65536;
constexpr int32_t kScrollLineLimit = 122;
constexpr int32_t kLineFeedScrollRows = 6;

const FontBytes& font_in_use(const PrintRun& run) {
  return run.context.using_custom_font ? run.context.custom_font : run.text_state.builtin_font;
}

void ensure_builtin_header(TextState& text_state) {
  if (text_state.builtin_font_ready) return;
  FontBytes& font = text_state.builtin_font;
  if (font[0] == 0 && font[1] == 0 && font[2] == 0) {
    font[0] = 4;
    font[1] = 8;
    font[2] = 6;
  }
}

// The print attributes of 0x5f58..0x5f5b.
void read_print_attributes(const MachineState& state, TextState& text_state, PrintContext& context) {
  uint8_t attributes = read_memory_byte(state, 0x5f58);
  if (attributes & 1) {
    context.padding = attributes & 0x02;
    context.wide = attributes & 0x04;
    context.tall = attributes & 0x08;
    context.solid_background = attributes & 0x10;
    context.inverted = attributes & 0x20;
    context.dotty = attributes & 0x40;
    context.using_custom_font = attributes & 0x80;
  }
  if (context.using_custom_font) context.custom_font = read_custom_font(state);
  context.metrics = read_font_metrics(context.using_custom_font ? context.custom_font : text_state.builtin_font);
  if (read_memory_byte(state, 0x5f36) & kOutOfRangeReadsFlag) return;
  uint8_t sizes = read_memory_byte(state, 0x5f59);
  if (sizes & 15) context.metrics.width = sizes & 15;
  if (sizes >> 4) context.metrics.height = sizes >> 4;
  uint8_t wide_and_tab = read_memory_byte(state, 0x5f5a);
  if (wide_and_tab & 15) context.metrics.wide_width = wide_and_tab & 15;
  if (wide_and_tab >> 4) context.tab_width = 4 * ((wide_and_tab >> 4) + 1);
  uint8_t offsets = read_memory_byte(state, 0x5f5b);
  if (offsets & 15) context.metrics.offset_x = offsets & 15;
  if (offsets >> 4) context.metrics.offset_y = offsets >> 4;
}

void store_cursor(MachineState& state, const PrintContext& context) {
  write_memory_byte(state, 0x5f26, static_cast<uint32_t>(context.cursor_x) & 0xff);
  write_memory_byte(state, 0x5f27, static_cast<uint32_t>(context.cursor_y) & 0xff);
}

void note_cursor(PrintContext& context) {
  context.max_x = std::max(context.max_x, context.cursor_x);
  context.max_y = std::max(context.max_y, context.cursor_y);
}

int32_t current_line_height(const PrintContext& context) {
  return context.line_height != 0 ? context.line_height : context.metrics.height;
}

void play_print_sound(PrintRun& run) {
  PrintContext& context = run.context;
  PrintSoundCommand command = read_print_sound(context.text, context.position);
  const PrintSoundHooks& hooks = run.text_state.sound;
  if (command.kind == PrintSoundCommand::Kind::kBeep) {
    if (hooks.play_sound_record) hooks.play_sound_record(command.effect);
    return;
  }
  if (command.kind == PrintSoundCommand::Kind::kPlayStored) {
    if (hooks.play_sound_effect) hooks.play_sound_effect(command.slot);
    return;
  }
  if (!context.program_running && hooks.music_playing && hooks.music_playing() && hooks.stop_music_and_sounds)
    hooks.stop_music_and_sounds();
  int slot = command.slot;
  if (slot < 0) {
    slot = 63;
    for (int candidate = 63; candidate >= 60; --candidate)
      if (!hooks.sound_effect_playing || !hooks.sound_effect_playing(candidate)) {
        slot = candidate;
        break;
      }
  }
  run.state.sound_effects[slot] = command.effect;
  if (hooks.play_sound_effect) hooks.play_sound_effect(slot);
}

void move_to_tab_stop(PrintContext& context) {
  int32_t width = context.tab_width != 0 ? context.tab_width : context.metrics.tab_width;
  if (width <= 0) width = 16;
  int32_t base = (context.metrics.flags & kFontTabsFromHome) ? context.home_x : 0;
  int32_t relative = context.cursor_x - base;
  int32_t stops = relative >= 0 ? relative / width : -((-relative + width - 1) / width);
  context.cursor_x = base + (stops + 1) * width;
}

// Code 1: the next character drawn `count` times.
void repeat_character(PrintRun& run) {
  PrintContext& context = run.context;
  int32_t count = 0;
  if (!read_print_parameter(context, count) || context.position >= context.text.size()) {
    context.position = context.text.size();
    return;
  }
  auto code = static_cast<uint8_t>(context.text[context.position++]);
  if (code < 16) return;
  for (int32_t i = 0; i < count; ++i) print_font_character(run, code);
}

// Runs the control code `code` (1..15) whose parameters follow.
void run_control_code(PrintRun& run, uint8_t code) {
  PrintContext& context = run.context;
  int32_t p = 0, q = 0;
  auto parameter = [&](int32_t& value) {
    if (read_print_parameter(context, value)) return true;
    context.position = context.text.size();  // a code without its parameter is ignored
    return false;
  };
  switch (code) {
    case 1: repeat_character(run); break;
    case 2:
      if (parameter(p)) {
        context.background = static_cast<uint8_t>(p & 15);
        context.solid_background = true;
      }
      break;
    case 3:
      if (parameter(p)) context.cursor_x += p - 16;
      break;
    case 4:
      if (parameter(p)) context.cursor_y += p - 16;
      break;
    case 5:
      if (parameter(p) && parameter(q)) {
        context.cursor_x += p - 16;
        context.cursor_y += q - 16;
      }
      break;
    case 6: run_print_special_command(run); break;
    case 7: play_print_sound(run); break;
    case 8: context.cursor_x -= context.last_advance; break;
    case 9: move_to_tab_stop(context); break;
    case 10: print_line_feed(run); break;
    case 11:
      if (parameter(p)) {
        context.return_after_next = true;
        context.return_x = context.cursor_x;
        context.return_y = context.cursor_y;
        context.cursor_x = context.remembered_x + (p % 4) - 2;
        context.cursor_y = context.remembered_y + (p / 4) - 8;
      }
      break;
    case 12:
      if (parameter(p)) {
        context.foreground = static_cast<uint8_t>(p & 15);
        write_memory_byte(run.state, 0x5f25, static_cast<uint32_t>(p & 15));
      }
      break;
    case 13: context.cursor_x = context.home_x; break;
    case 14:
      context.using_custom_font = true;
      context.custom_font = read_custom_font(run.state);
      context.metrics = read_font_metrics(context.custom_font);
      break;
    case 15:
      context.using_custom_font = false;
      context.metrics = read_font_metrics(run.text_state.builtin_font);
      break;
    default: break;
  }
}

// Prints until the text ends or a wait is requested.
PrintResult run_print(MachineState& state, TextState& text_state) {
  PrintContext& context = text_state.print;
  PrintRun run{state, text_state, context, 0};
  while (context.frames_to_wait == 0) {
    size_t before = context.position;
    if (context.position >= context.text.size()) {
      if (!context.final_line_feed) break;
      context.final_line_feed = false;
      print_line_feed(run);
    } else {
      auto code = static_cast<uint8_t>(context.text[context.position++]);
      if (code == 0)
        context.position = context.text.size();
      else if (code >= 16)
        print_font_character(run, code);
      else
        run_control_code(run, code);
    }
    run.cycles += std::max<int64_t>(1, static_cast<int64_t>(context.position - before));
    note_cursor(context);
  }
  store_cursor(state, context);
  PrintResult result;
  result.cycles = run.cycles;
  if (context.frames_to_wait > 0) return result;
  context.active = false;
  result.finished = true;
  result.max_x = context.max_x;
  result.max_y = context.max_y;
  return result;
}

}  // namespace

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
  context.cursor_y += current_line_height(context);
  context.line_height = 0;
  if (!context.scrolling) return;
  if (context.cursor_y > run.state.registers.camera_y + kScrollLineLimit && !print_scrolling_suppressed(run)) {
    context.cursor_y -= kLineFeedScrollRows;
    scroll_print_target(run, kLineFeedScrollRows);
  }
}

namespace {

// Everything about drawing one character except where its rows come from.
void print_glyph(PrintRun& run, const uint8_t rows[8], int32_t width, int32_t height, bool raised, bool padding) {
  PrintContext& context = run.context;
  MachineState& state = run.state;
  context.remembered_x = context.cursor_x;
  context.remembered_y = context.cursor_y;
  if (context.wrap && context.cursor_x > context.wrap_boundary - width) {
    context.cursor_x = context.home_x;
    context.cursor_y += current_line_height(context);
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

void set_builtin_font(TextState& text_state, const std::array<host::PodImage, 256>& glyphs) {
  if (text_state.builtin_font_ready) return;
  text_state.builtin_font = build_builtin_font(glyphs);
  text_state.builtin_font_ready = true;
}

PrintResult print(MachineState& state, TextState& text_state, const PrintArguments& arguments) {
  ensure_builtin_header(text_state);
  PrintContext& context = text_state.print;
  context = PrintContext{};
  context.active = true;
  context.text = arguments.text;
  context.program_running = arguments.program_running;
  uint8_t options = read_memory_byte(state, 0x5f36);
  context.final_line_feed = !(options & kNoLineFeedFlag);
  read_print_attributes(state, text_state, context);

  decode_colour_argument(state, arguments.colour);
  uint8_t pen = state.registers.pen_colour;
  context.foreground = pen & 15;
  context.background = arguments.colour ? static_cast<uint8_t>(pen >> 4) : 0;

  bool positioned = arguments.x && arguments.y;
  if (positioned) {
    auto x16 = static_cast<int16_t>(static_cast<uint32_t>(*arguments.x) & 0xffff);
    context.cursor_x = context.home_x = x16;
    context.cursor_y = *arguments.y;
    write_memory_byte(state, 0x5f24, static_cast<uint32_t>(x16) & 0xff);
  } else {
    context.home_x = state.registers.print_home_x;
    context.cursor_x = state.registers.cursor_x;
    context.cursor_y = state.registers.cursor_y;
  }
  context.home_y = context.cursor_y;
  context.max_x = context.cursor_x;
  context.max_y = context.cursor_y;
  context.wrap_boundary = state.draw_target->clip_x1;
  context.wrap = (options & kAlwaysWrapFlag) || (!arguments.program_running && !positioned);
  context.scrolling = !positioned;
  return run_print(state, text_state);
}

PrintResult continue_print(MachineState& state, TextState& text_state) {
  PrintContext& context = text_state.print;
  if (!context.active) return PrintResult{true, context.max_x, context.max_y, 0};
  if (context.frames_to_wait > 0) --context.frames_to_wait;
  if (context.frames_to_wait > 0) return PrintResult{};
  return run_print(state, text_state);
}

void reset_print(TextState& text_state) { text_state.print = PrintContext{}; }

}  // namespace tamori::machine
