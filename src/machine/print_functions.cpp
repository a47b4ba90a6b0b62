#include "machine/print_functions.h"

#include <algorithm>

#include "machine/font_data.h"
#include "machine/memory.h"
#include "machine/print_steps.h"

namespace tamori::machine {

namespace {

constexpr uint8_t kNoLineFeedFlag = 0x04;       // in 0x5f36
constexpr uint8_t kAlwaysWrapFlag = 0x80;       // in 0x5f36
constexpr uint8_t kOutOfRangeReadsFlag = 0x10;  // in 0x5f36: 0x5f59..0x5f5b hold other values

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
        run_print_control_code(run, code);
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
