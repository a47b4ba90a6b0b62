// Reading at most the first bytes of a file, for formats that take only a
// bounded part of whatever file they are given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamori::cart {

// Nothing when the file cannot be opened.
std::optional<std::vector<uint8_t>> read_file_start(const std::string& path, std::size_t max_bytes);

}  // namespace tamori::cart
