// The program text as it is compiled: the code tabs with their #include
// lines replaced by the included code, and the line layout of the tabs so
// that a line of the compiled text can be mapped back to a tab.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tamori::runner {

inline constexpr size_t kIncludeBufferSize = 0x40000;
inline constexpr int kMaxIncludeLines = 65536;

// Reads the code of an included file: the whole code, or tab `tab` of it
// when tab >= 0. False when the file cannot be read.
using IncludeReader = std::function<bool(const std::string& name, int tab, std::string* code)>;

struct ExpandedProgram {
  bool ok = false;
  std::string text;            // the tabs joined again, includes expanded
  std::vector<int> tab_spans;  // lines each tab takes, its separator line included
};

// An #include line: its file name and tab (-1 for the whole code), or false.
bool parse_include_line(std::string_view line, std::string* name, int* tab);

// Expands tab by tab; fails when an included file cannot be read or the
// result outgrows the include buffer.
ExpandedProgram expand_program(std::string_view code, const IncludeReader& read_include);

struct TabLine {
  bool found = false;
  int tab = 0;
  int line = 0;  // within the tab, from 1
};

// Maps a line of the compiled text (the program starts on line 3) to its tab.
TabLine find_tab_line(const std::vector<int>& tab_spans, int compiled_line);

// Line `line` (from 1) of a text, without its line feed; empty past the end.
std::string_view text_line(std::string_view text, int line);

}  // namespace tamori::runner
