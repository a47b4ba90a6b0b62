// Splitting text into lines ended by "\n", "\r\n" or "\r", without copying.
#pragma once

#include <cstddef>
#include <string_view>

namespace tamori::cart {

struct TextLines {
  std::string_view text;
  std::size_t position = 0;
};

// The next line without its ending; false at the end of the text. A last
// line without an ending still counts; an empty text has no lines.
bool next_text_line(TextLines& lines, std::string_view* line);

}  // namespace tamori::cart
