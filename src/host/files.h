// Small file helpers over the host file system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamori::host {

// Reads a whole file; nothing when it cannot be opened or is larger than
// `max_bytes`. A path the host file system does not have is looked up among
// the in-memory files (virtual_disk.h) by its file name.
std::optional<std::vector<uint8_t>> read_file(const std::string& path,
                                              size_t max_bytes = size_t(1) << 30);
// Writes through a temporary file and a rename, so a failed write never
// leaves a half-written file in place of the old one.
bool write_file(const std::string& path, const void* data, size_t size);
bool write_file(const std::string& path, const std::string& text);
bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);
// Creates one folder with mode 0755; true when it exists afterwards.
bool make_folder(const std::string& path);
// Creates the folder and any missing parents.
bool make_folders(const std::string& path);

}  // namespace tamori::host
