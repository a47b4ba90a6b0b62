// The cartridge-language text compiled around every program: the prelude
// before it (friendlier pairs, all, print, coresume, flip, menuitem ... over
// the native functions), the defaults of the glyph variables, the line that
// binds the common API functions to locals, and the epilogue after it that
// calls _init and drives _update / _update60 / _draw.
//
// The prelude and everything up to the program take exactly two lines, so
// that the program starts on line 3 of the compiled text; error lines are
// mapped back to code tabs with that offset (lang/code_tab_lines.h).
#pragma once

#include <string>
#include <string_view>

namespace tamori::runner {

// First line of the compiled text; also the chunk name that run-time error
// texts carry.
inline constexpr std::string_view kPreludeFirstLine = "-- tamori header";
inline constexpr int kProgramFirstLine = 3;

// The prelude: its first line and a newline, then one long line.
std::string prelude_text();
// Assignments of the 26 glyph variables that are still unset.
std::string glyph_defaults_text();
// "local time, sub, ... = time, sub, ..." for the 59 common API functions.
std::string api_locals_text();
std::string epilogue_text(bool is_command);

struct ProgramTextOptions {
  bool is_command = false;
  bool global_api = false;     // leave the API functions as globals
  bool board_quirk = false;    // the two board cartridges that expect nd = 0
};

// Everything that is compiled for one program, in order.
std::string build_program_text(std::string_view program, const ProgramTextOptions& options);

}  // namespace tamori::runner
