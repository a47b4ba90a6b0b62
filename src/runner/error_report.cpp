#include "runner/error_report.h"

#include <cstdio>
#include <cstdlib>

#include "runner/prelude.h"

namespace tamori::runner {
namespace {

constexpr int kMaxTracebackLines = 10;

std::string format_line_and_tab(const char* format, int line, int tab) {
  char text[96];
  std::snprintf(text, sizeof text, format, line, tab);
  return text;
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// The program's own line for a line of the compiled text.
std::string program_line(const ExpandedProgram& program, int compiled_line) {
  return std::string(text_line(program.text, compiled_line - (kProgramFirstLine - 1)));
}

void add_traceback(const RuntimeError& error, const ExpandedProgram& program, std::vector<ConsoleLine>* lines) {
  std::string_view rest = error.traceback;
  for (int count = 0; count < kMaxTracebackLines && !rest.empty(); count++) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (contains(line, "stack traceback") || contains(line, "'_mainloop")) continue;
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    int number = std::atoi(std::string(line.substr(colon + 1)).c_str());
    // Frames in the prelude or the epilogue mean nothing to the reader.
    TabLine place = find_tab_line(program.tab_spans, number);
    if (!place.found) continue;
    size_t name_start = line.find("in function '");
    if (name_start != std::string_view::npos) {
      name_start += 13;
      size_t name_end = line.find('\'', name_start);
      if (name_end == std::string_view::npos) continue;
      std::string name(line.substr(name_start, name_end - name_start));
      char text[160];
      std::snprintf(text, sizeof text, "in %s line %d (tab %d)", name.c_str(), place.line, place.tab);
      lines->push_back({text, kTracebackColour});
    } else if (contains(line, "in main chunk")) {
      lines->push_back({format_line_and_tab("at line %d (tab %d)", place.line, place.tab), kTracebackColour});
    }
  }
}

}  // namespace

std::string extract_syntax_message(std::string_view text, bool location_found) {
  if (contains(text, "_end_of_program")) return "";
  size_t close = text.find("to close '");
  if (close != std::string_view::npos) {
    size_t token_start = close + 10;
    size_t token_end = text.find('\'', token_start);
    std::string token(text.substr(token_start, token_end == std::string_view::npos ? 0 : token_end - token_start));
    if (location_found) return "unclosed " + token;
    int line = 0, tab = 0;
    size_t at = text.find("at line ", close);
    if (at != std::string_view::npos)
      std::sscanf(std::string(text.substr(at + 8)).c_str(), "%d (tab %d)", &line, &tab);
    char message[200];
    std::snprintf(message, sizeof message, "unclosed %s at line %d (tab %d)\n", token.c_str(), line, tab);
    return message;
  }
  size_t colon = text.rfind(':');
  std::string_view message = colon == std::string_view::npos ? text : text.substr(colon + 1);
  if (!message.empty() && message.front() == ' ') message.remove_prefix(1);
  return std::string(message.substr(0, kMaxSyntaxMessageLength));
}

std::vector<ConsoleLine> syntax_error_report(const SyntaxError& error, const ExpandedProgram& program) {
  std::vector<ConsoleLine> lines;
  TabLine place;
  std::string source;
  if (!error.is_command) place = find_tab_line(program.tab_spans, error.line);
  if (place.found) {
    source = program_line(program, error.line);
    lines.push_back({format_line_and_tab("syntax error line %d (tab %d)", place.line, place.tab), kHeadingColour});
    lines.push_back({source, kSourceColour});
  } else {
    lines.push_back({"syntax error", kHeadingColour});
  }
  std::string message = extract_syntax_message(error.message, place.found);
  if (message == "unexpected symbol near 'end'" && !contains(source, "end")) message = "unexpected end of line";
  if (!message.empty()) lines.push_back({message, kDetailColour});
  return lines;
}

std::vector<ConsoleLine> runtime_error_report(const RuntimeError& error, const ExpandedProgram& program) {
  std::vector<ConsoleLine> lines;
  TabLine place;
  if (error.cartridge && error.line >= kProgramFirstLine) place = find_tab_line(program.tab_spans, error.line);
  if (place.found) {
    lines.push_back({format_line_and_tab("runtime error line %d tab %d", place.line, place.tab), kHeadingColour});
    lines.push_back({program_line(program, error.line), kSourceColour});
  } else {
    lines.push_back({"runtime error", kHeadingColour});
  }
  const std::string& message = error.message;
  bool assertion_shown = false;
  if (contains(message, kPreludeFirstLine)) {
    // A message with our chunk's position in it: only an assertion and a
    // position out of bounds are told, without the position.
    if (!error.assertion_message.empty() || contains(message, "assertion failed"))
      lines.push_back({"assertion failed", kDetailColour});
    if (!error.assertion_message.empty()) {
      lines.push_back({error.assertion_message, kSourceColour});
      assertion_shown = true;
    }
    size_t bounds = message.find("position out of bounds");
    if (bounds != std::string::npos && message.size() > bounds + 1)
      lines.push_back({message.substr(bounds, message.size() - bounds - 1), kDetailColour});
  } else if (message != "not enough memory") {
    lines.push_back({message, kDetailColour});
    assertion_shown = message == error.assertion_message;
  }
  if (!error.assertion_message.empty() && !assertion_shown) lines.push_back({error.assertion_message, kDetailColour});
  if (error.cartridge && !error.already_reported) add_traceback(error, program, &lines);
  return lines;
}

}  // namespace tamori::runner
