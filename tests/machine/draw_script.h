// Test helper: runs drawing calls written as text ("circ 64 64 1 7") against
// a machine, the way the language binding will call the core functions, and
// renders parts of the draw target as text art ('.' for colour 0, else a hex
// digit). Numbers are decimal ("4.5", "-1") or hex with a hex fraction
// ("0x5a5a.8", "0x1108.5a5a"). "sheet X Y PIXELS" writes a row of
// sprite-sheet pixels for the sprite calls to draw.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "machine/machine_state.h"
#include "machine/print_state.h"

namespace tamori::machine::testing {

std::unique_ptr<MachineState> new_drawing_machine();

// Parses one number into raw 16.16 bits; false when the text is not one.
bool parse_script_number(const std::string& text, int32_t* raw);

// Runs one line "name arg arg ..."; returns an error text, empty on success.
std::string run_draw_command(MachineState& state, const std::string& line);

// A text state with the console's own font from the built data.pod.
TextState new_text_state();

// The same with printing: "print X Y COL TEXT" prints the rest of the line
// (escapes as in the cartridge language: \n \t \a \b \v \f \r \* \#
// \- \| \+ \^ \\ and decimal \ddd), "printhere TEXT" prints at the
// cursor, and "continue" runs one frame of a waiting print.
std::string run_draw_command(MachineState& state, TextState& text, const std::string& line);

// Rows y..y+h-1, columns x..x+w-1 of the draw target as text art.
std::vector<std::string> draw_target_picture(const MachineState& state, int x, int y, int w, int h);

}  // namespace tamori::machine::testing
