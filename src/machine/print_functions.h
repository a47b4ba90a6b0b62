// The cartridge function `print`: tmscii text drawn at a position or at the
// print cursor, with control codes that move the cursor, change colours and
// sizes, draw one-off glyphs, poke memory, play sounds and pause for frames.
// A paused print goes on when the program runner calls continue_print once
// per frame.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "host/pod.h"
#include "machine/colour_argument.h"
#include "machine/machine_state.h"
#include "machine/print_state.h"

namespace tamori::machine {

struct PrintArguments {
  std::string text;  // tmscii; the binding turns other values into text first
  std::optional<int32_t> x, y;  // integer parts; both or neither
  NumberArgument colour;
  bool program_running = true;  // a cartridge program runs (not the console itself)
};

struct PrintResult {
  bool finished = false;  // false: waiting for frames; the call then returns no value
  int32_t max_x = 0;      // largest cursor x and y reached
  int32_t max_y = 0;
  int64_t cycles = 0;
};

// Builds the built-in font from the console font once; later calls keep it.
void set_builtin_font(TextState& text_state, const std::array<host::PodImage, 256>& glyphs);

// Starts a print, replacing one still in progress, and prints until the
// text ends or a control code asks to wait.
PrintResult print(MachineState& state, TextState& text_state, const PrintArguments& arguments);

// One frame of a waiting print: counts down its frames and, when they are
// over, prints on. Finished (with nothing done) when no print is waiting.
PrintResult continue_print(MachineState& state, TextState& text_state);

// Drops an unfinished print (at run start and stop).
void reset_print(TextState& text_state);

}  // namespace tamori::machine
