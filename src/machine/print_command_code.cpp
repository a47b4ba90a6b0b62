// Code 6 of printed text: waits, clears, cursor and home moves, wrapping,
// tab and size settings, outlines, the on/off switches, one-off glyphs and
// pokes.
#include <algorithm>
#include <cstring>

#include "machine/memory.h"
#include "machine/pixel_writer.h"
#include "machine/print_steps.h"

namespace tamori::machine {

namespace {

constexpr int64_t kClearCycles = 1024;

int32_t hex_value(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

size_t remaining(const PrintContext& context) { return context.text.size() - context.position; }

// Reads `digits` hex digits as one number; false (nothing read) when the text is shorter.
bool read_hex(PrintContext& context, int digits, uint32_t& value) {
  if (remaining(context) < static_cast<size_t>(digits)) return false;
  value = 0;
  for (int i = 0; i < digits; ++i)
    value = value * 16 + static_cast<uint32_t>(hex_value(static_cast<uint8_t>(context.text[context.position++])));
  return true;
}

// Switches that a command letter turns on (or off after "-"); null for others.
bool* switch_for(PrintContext& context, char command) {
  switch (command) {
    case 'w': return &context.wide;
    case 't': return &context.tall;
    case '=': return &context.dotty;
    case 'p': return &context.pinball;
    case 'i': return &context.inverted;
    case '#': return &context.solid_background;
    case 'b': return &context.padding;
    case '$': return &context.wrap;
    case 'u': return &context.underline;
    default: return nullptr;
  }
}

void draw_given_glyph(PrintRun& run, bool as_hex, bool padding) {
  PrintContext& context = run.context;
  uint8_t rows[8] = {};
  size_t needed = as_hex ? 16 : 8;
  if (remaining(context) < needed) {
    context.position = context.text.size();
    return;
  }
  for (int row = 0; row < 8; ++row) {
    uint32_t value = 0;
    if (as_hex)
      read_hex(context, 2, value);
    else
      value = static_cast<uint8_t>(context.text[context.position++]);
    rows[row] = static_cast<uint8_t>(value);
  }
  print_one_off_glyph(run, rows, padding);
}

void poke_text(PrintRun& run, uint32_t address, size_t count) {
  PrintContext& context = run.context;
  count = std::min(count, remaining(context));
  for (size_t i = 0; i < count; ++i)
    write_memory_byte(run.state, address + static_cast<uint32_t>(i),
                      static_cast<uint8_t>(context.text[context.position++]));
  run.cycles += static_cast<int64_t>(count);
}

void set_outline(PrintRun& run) {
  PrintContext& context = run.context;
  if (remaining(context) < 3) {
    context.position = context.text.size();
    return;
  }
  auto colour = static_cast<uint8_t>(context.text[context.position++]);
  uint32_t high = 0, low = 0;
  read_hex(context, 1, high);
  read_hex(context, 1, low);
  context.outline_uses_foreground = colour == '$' || colour == '!';
  context.outline_colour = static_cast<uint8_t>(print_parameter_value(colour) & 15);
  context.outline_mask = static_cast<uint16_t>(32 * high + low);
}

}  // namespace

void run_print_command_code(PrintRun& run) {
  PrintContext& context = run.context;
  if (remaining(context) == 0) return;
  char command = context.text[context.position++];
  bool off = false;
  if (command == '-') {
    if (remaining(context) == 0) return;
    off = true;
    command = context.text[context.position++];
  }
  if (bool* flag = switch_for(context, command)) {
    *flag = !off;
    return;
  }
  int32_t p = 0, q = 0;
  auto parameter = [&](int32_t& value) {
    if (read_print_parameter(context, value)) return true;
    context.position = context.text.size();
    return false;
  };
  uint32_t address = 0, count = 0;
  switch (command) {
    case 'c':
      if (parameter(p)) {
        std::memset(run.state.draw_target->pixels, p & 15, kPixelPageBytes);
        finish_drawing(run.state, 0);
        context.cursor_x = context.cursor_y = 0;
        run.cycles += kClearCycles;
      }
      break;
    case 'd':
      if (parameter(p)) context.per_character_delay = p;
      break;
    case 'g':
      context.cursor_x = context.home_x;
      context.cursor_y = context.home_y;
      break;
    case 'h':
      context.home_x = context.cursor_x;
      context.home_y = context.cursor_y;
      break;
    case 'j':
      if (parameter(p) && parameter(q)) {
        context.cursor_x = 4 * p;
        context.cursor_y = 4 * q;
      }
      break;
    case 'r':
      if (parameter(p)) {
        context.wrap = true;
        context.wrap_boundary = 4 * p;
      }
      break;
    case 's':
      if (parameter(p)) context.tab_width = 4 * p;
      break;
    case 'x':
      if (parameter(p)) {
        int32_t difference = context.metrics.wide_width - context.metrics.width;
        context.metrics.width = p;
        context.metrics.wide_width = p + difference;
      }
      break;
    case 'y':
      if (parameter(p)) context.metrics.height = p;
      break;
    case 'o':
      if (off)
        context.outline_mask = 0;
      else
        set_outline(run);
      break;
    case '.': draw_given_glyph(run, false, false); break;
    case ':': draw_given_glyph(run, true, false); break;
    case ',': draw_given_glyph(run, false, true); break;
    case ';': draw_given_glyph(run, true, true); break;
    case '@':
      if (read_hex(context, 4, address) && read_hex(context, 4, count))
        poke_text(run, address, count);
      else
        context.position = context.text.size();
      break;
    case '!':
      // The line feed print appends belongs to the string, so it is poked
      // after the rest of the text instead of being printed.
      if (read_hex(context, 4, address)) {
        const uint32_t end = address + static_cast<uint32_t>(remaining(context));
        poke_text(run, address, remaining(context));
        if (context.final_line_feed) {
          write_memory_byte(run.state, end, '\n');
          run.cycles += 1;
        }
      }
      context.position = context.text.size();
      context.final_line_feed = false;
      break;
    default:
      if (command >= '1' && command <= '9') context.frames_to_wait = 1 << (command - '1');
      break;
  }
}

}  // namespace tamori::machine
