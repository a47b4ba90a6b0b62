#include "host/virtual_disk.h"

namespace tamori::host {

VirtualDisk& virtual_disk() {
  static VirtualDisk disk;
  return disk;
}

std::string virtual_file_name(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool virtual_disk_write(VirtualDisk& disk, const std::string& path, std::vector<uint8_t> bytes) {
  std::string name = virtual_file_name(path);
  if (name.empty() || name.find('\0') != std::string::npos) return false;
  disk.buffers[name] = std::move(bytes);
  return true;
}

const std::vector<uint8_t>* virtual_disk_find(const VirtualDisk& disk, const std::string& path) {
  auto found = disk.buffers.find(virtual_file_name(path));
  return found == disk.buffers.end() ? nullptr : &found->second;
}

void virtual_disk_clear(VirtualDisk& disk) { disk.buffers.clear(); }

}  // namespace tamori::host
