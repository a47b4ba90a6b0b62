#include "runner/program_source.h"

#include <algorithm>

#include "cart/code_tabs.h"
#include "runner/prelude.h"

namespace tamori::runner {
namespace {

constexpr std::string_view kIncludeKeyword = "#include ";

bool is_blank(char c) { return c == ' ' || c == '\t'; }

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Appends one tab's code with its #include lines replaced.
bool expand_tab(std::string_view code, const IncludeReader& read_include, std::string* out) {
  size_t start = 0;
  for (int line = 0; line < kMaxIncludeLines && start <= code.size(); line++) {
    size_t end = code.find('\n', start);
    bool last = end == std::string_view::npos;
    std::string_view text = code.substr(start, last ? std::string_view::npos : end - start);
    std::string name;
    int tab = -1;
    if (parse_include_line(text, &name, &tab)) {
      std::string included;
      if (!read_include || !read_include(name, tab, &included)) return false;
      *out += included;
    } else {
      *out += text;
    }
    if (last) return true;
    *out += '\n';
    start = end + 1;
  }
  // Lines past the limit are kept as they are.
  if (start < code.size()) *out += code.substr(start);
  return true;
}

}  // namespace

bool parse_include_line(std::string_view line, std::string* name, int* tab) {
  size_t first = 0;
  while (first < line.size() && is_blank(line[first])) first++;
  if (line.substr(first, kIncludeKeyword.size()) != kIncludeKeyword) return false;
  std::string_view rest = line.substr(first + kIncludeKeyword.size());
  while (!rest.empty() && (is_blank(rest.front()))) rest.remove_prefix(1);
  while (!rest.empty() && (is_blank(rest.back()) || rest.back() == '\r')) rest.remove_suffix(1);
  *tab = -1;
  size_t colon = rest.rfind(':');
  if (colon != std::string_view::npos && colon + 1 < rest.size()) {
    int value = 0;
    bool all_hex = true;
    for (char c : rest.substr(colon + 1)) {
      int digit = hex_digit(c);
      if (digit < 0 || value > 0xfff) {
        all_hex = false;
        break;
      }
      value = value * 16 + digit;
    }
    if (all_hex) {
      *tab = value;
      rest = rest.substr(0, colon);
    }
  }
  if (rest.empty()) return false;
  *name = std::string(rest);
  return true;
}

ExpandedProgram expand_program(std::string_view code, const IncludeReader& read_include) {
  ExpandedProgram program;
  std::vector<std::string> tabs = cart::split_code_tabs(code);
  // The tabs the code holds: one more than its separators, at most 16.
  int last = 0;
  for (size_t at = code.find(cart::kCodeTabSeparator); at != std::string_view::npos && last < cart::kCodeTabCount - 1;
       at = code.find(cart::kCodeTabSeparator, at + cart::kCodeTabSeparator.size()))
    last++;
  for (int tab = 0; tab < int(tabs.size()); tab++) {
    std::string expanded;
    if (!expand_tab(tabs[size_t(tab)], read_include, &expanded)) return program;
    if (tab > 0 && tab <= last) program.text += cart::kCodeTabSeparator;
    if (tab <= last) program.text += expanded;
    // Only tabs the code holds get lines, so the epilogue maps to no tab.
    if (tab <= last) program.tab_spans.push_back(int(std::count(expanded.begin(), expanded.end(), '\n')) + 2);
    if (program.text.size() > kIncludeBufferSize) return program;
  }
  program.ok = true;
  return program;
}

TabLine find_tab_line(const std::vector<int>& tab_spans, int compiled_line) {
  int line = compiled_line - (kProgramFirstLine - 1);
  if (line < 1) return {};
  for (size_t tab = 0; tab < tab_spans.size(); tab++) {
    if (line <= tab_spans[tab]) return {true, int(tab), line};
    line -= tab_spans[tab];
  }
  return {};
}

std::string_view text_line(std::string_view text, int line) {
  size_t start = 0;
  for (int current = 1; current < line; current++) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) return {};
    start = end + 1;
  }
  if (line < 1 || start > text.size()) return {};
  size_t end = text.find('\n', start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

}  // namespace tamori::runner
