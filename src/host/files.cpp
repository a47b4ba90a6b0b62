#include "host/files.h"

#include <sys/stat.h>

#include <cstdio>

#include "host/virtual_disk.h"

namespace tamori::host {

std::optional<std::vector<uint8_t>> read_file(const std::string& path, size_t max_bytes) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    const std::vector<uint8_t>* buffer = virtual_disk_find(virtual_disk(), path);
    if (!buffer || buffer->size() > max_bytes) return std::nullopt;
    return *buffer;
  }
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  size_t got;
  bool too_large = false;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    if (bytes.size() + got > max_bytes) {
      too_large = true;
      break;
    }
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed || too_large) return std::nullopt;
  return bytes;
}

bool write_file(const std::string& path, const void* data, size_t size) {
  std::string temporary = path + ".tmp";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(data, 1, size, file) == size;
  ok = (std::fclose(file) == 0) && ok;
  if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

bool write_file(const std::string& path, const std::string& text) {
  return write_file(path, text.data(), text.size());
}

bool file_exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool folder_exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool make_folder(const std::string& path) {
  if (folder_exists(path)) return true;
  mkdir(path.c_str(), 0755);
  return folder_exists(path);
}

bool make_folders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    make_folder(path.substr(0, slash));
  return make_folder(path);
}

}  // namespace tamori::host
