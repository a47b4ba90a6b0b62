// The console lines that report a failed compile or a run-time error, with
// lines mapped back to code tabs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runner/program_limits.h"
#include "runner/program_source.h"

namespace tamori::runner {

inline constexpr uint8_t kHeadingColour = 14;
inline constexpr uint8_t kDetailColour = 6;
inline constexpr uint8_t kSourceColour = 7;
inline constexpr uint8_t kTracebackColour = 13;
inline constexpr size_t kMaxSyntaxMessageLength = 1023;

// The part of a compiler message worth showing; empty when nothing is.
std::string extract_syntax_message(std::string_view text, bool location_found);

struct SyntaxError {
  bool is_command = false;
  int line = 0;               // line of the compiled text
  std::string message;        // "chunk:line: message"
};

std::vector<ConsoleLine> syntax_error_report(const SyntaxError& error, const ExpandedProgram& program);

struct RuntimeError {
  bool cartridge = false;     // a cartridge program (not a command) failed
  int line = 0;               // line of the compiled text the program was running
  std::string message;
  std::string traceback;      // "stack traceback:" and frame lines
  bool already_reported = false;
  // The message of the assert that raised this error, when it had one.
  std::string assertion_message;
};

std::vector<ConsoleLine> runtime_error_report(const RuntimeError& error, const ExpandedProgram& program);

}  // namespace tamori::runner
