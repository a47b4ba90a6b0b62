// The steps that make up printing, shared by the character loop and the
// commands that follow code 6.
#pragma once

#include <cstdint>

#include "machine/machine_state.h"
#include "machine/print_state.h"

namespace tamori::machine {

struct PrintRun {
  MachineState& state;
  TextState& text_state;
  PrintContext& context;
  int64_t cycles = 0;
};

// '0'..'9' are 0..9, characters from 'a' on count from 10, others 0.
int32_t print_parameter_value(uint8_t c);

// Reads the next parameter character; false (and nothing read) at the end.
bool read_print_parameter(PrintContext& context, int32_t& value);

// Draws glyph `code` of the font in use and advances the cursor.
void print_font_character(PrintRun& run, uint8_t code);

// Draws an 8x8 glyph given by its row bytes and advances the cursor.
void print_one_off_glyph(PrintRun& run, const uint8_t rows[8], bool padding);

// Runs control code `code` (1..15) with the parameters that follow it.
void run_print_control_code(PrintRun& run, uint8_t code);

// The tallest character on the current line, or the character height.
int32_t print_line_height(const PrintContext& context);

// Code 10: back to the home x on the next line, scrolling when allowed.
void print_line_feed(PrintRun& run);

// Code 6: the command that starts at the context's position.
void run_print_command_code(PrintRun& run);

// Moves the draw target's rows up, clearing the rows uncovered at the
// bottom; 65536 cycles.
void scroll_print_target(PrintRun& run, int32_t rows);

// True when the program asked (0x5f36 bit 0x40) that printing never scroll.
bool print_scrolling_suppressed(const PrintRun& run);

}  // namespace tamori::machine
