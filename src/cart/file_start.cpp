#include "cart/file_start.h"

#include <algorithm>
#include <cstdio>

#include "host/virtual_disk.h"

namespace tamori::cart {

std::optional<std::vector<uint8_t>> read_file_start(const std::string& path, std::size_t max_bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    const std::vector<uint8_t>* buffer = host::virtual_disk_find(host::virtual_disk(), path);
    if (!buffer) return std::nullopt;
    return std::vector<uint8_t>(buffer->begin(), buffer->begin() + std::min(max_bytes, buffer->size()));
  }
  std::vector<uint8_t> bytes(max_bytes);
  std::size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  bytes.resize(read);
  return bytes;
}

}  // namespace tamori::cart
