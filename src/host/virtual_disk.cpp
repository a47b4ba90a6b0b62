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

namespace {

VirtualBuffer* named_buffer(VirtualDisk& disk, const std::string& path) {
  std::string name = virtual_file_name(path);
  if (name.empty() || name.find('\0') != std::string::npos) return nullptr;
  return &disk.buffers[name];
}

}  // namespace

bool virtual_disk_write(VirtualDisk& disk, const std::string& path, std::vector<uint8_t> bytes) {
  VirtualBuffer* buffer = named_buffer(disk, path);
  if (!buffer) return false;
  *buffer = VirtualBuffer{std::move(bytes), nullptr};
  return true;
}

bool virtual_disk_write_later(VirtualDisk& disk, const std::string& path, std::function<std::vector<uint8_t>()> fill) {
  VirtualBuffer* buffer = named_buffer(disk, path);
  if (!buffer) return false;
  *buffer = VirtualBuffer{{}, std::move(fill)};
  return true;
}

const std::vector<uint8_t>* virtual_disk_find(VirtualDisk& disk, const std::string& path) {
  auto found = disk.buffers.find(virtual_file_name(path));
  if (found == disk.buffers.end()) return nullptr;
  VirtualBuffer& buffer = found->second;
  if (buffer.fill) {
    buffer.bytes = buffer.fill();
    buffer.fill = nullptr;
  }
  return &buffer.bytes;
}

void virtual_disk_clear(VirtualDisk& disk) { disk.buffers.clear(); }

}  // namespace tamori::host
