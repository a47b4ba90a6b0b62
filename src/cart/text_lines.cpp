#include "cart/text_lines.h"

namespace tamori::cart {

bool next_text_line(TextLines& lines, std::string_view* line) {
  const std::string_view text = lines.text;
  if (lines.position >= text.size()) return false;
  std::size_t end = text.find_first_of("\r\n", lines.position);
  if (end == std::string_view::npos) {
    *line = text.substr(lines.position);
    lines.position = text.size();
    return true;
  }
  *line = text.substr(lines.position, end - lines.position);
  std::size_t next = end + 1;
  if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
  lines.position = next;
  return true;
}

}  // namespace tamori::cart
