// Reading the text cartridge format (".tm"): a header line, a version line
// and sections of data lines.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "cart/cartridge.h"

namespace tamori::cart {

// Why a text load gave no record (the first three), or that it gave one.
enum class TextLoadStatus : int { not_a_cartridge = 0, future_version = 1, code_too_large = 2, loaded = 3 };

struct TextLoadOptions {
  // Load files of versions newer than this console writes.
  bool accept_future = false;
};

struct TextLoadResult {
  std::unique_ptr<Cartridge> cartridge;  // null unless status is loaded
  TextLoadStatus status = TextLoadStatus::not_a_cartridge;
};

// Files above this size are not taken for text cartridges: the largest
// well-formed one is far smaller, and reading a huge file whole would only
// waste memory.
inline constexpr std::size_t kMaxTextCartridgeFileSize = std::size_t(32) << 20;
// A meta section keeps its lines while it stays below this size; at most
// kMaxMetaSections sections are kept, the lines of further ones are ignored.
inline constexpr std::size_t kMaxMetaSectionSize = 262144;
inline constexpr std::size_t kMaxMetaSections = 256;

TextLoadResult read_cartridge_text(std::string_view text, const TextLoadOptions& options = {});
TextLoadResult load_cartridge_text(const std::string& path, const TextLoadOptions& options = {});

// The version of a "version %d" line: 0 when it does not start that way,
// saturated at the int range.
int parse_version_line(std::string_view line);

}  // namespace tamori::cart
