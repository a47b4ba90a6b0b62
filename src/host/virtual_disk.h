// In-memory files: named byte buffers that stand in for host files. The
// data file's cartridges are written here when they are mounted, so that
// the loaders can open them by name like any other cartridge file.
//
// A buffer is named by the file name and extension of the path it was
// written under ("carts/demo.tm" and "demo.tm" are the same buffer). Reading
// a file looks on the host file system first and falls back on the buffer
// of that name (host::read_file does this).
//
// A buffer may be written later: it is then named at once but filled by
// its producer when it is first found, so that files nobody reads cost
// nothing to make.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tamori::host {

struct VirtualBuffer {
  std::vector<uint8_t> bytes;
  std::function<std::vector<uint8_t>()> fill;  // set until the bytes are made
};

struct VirtualDisk {
  std::map<std::string, VirtualBuffer> buffers;
};

// The console's one table of in-memory files.
VirtualDisk& virtual_disk();

// The buffer name for a path: everything after its last "/".
std::string virtual_file_name(const std::string& path);

// Creates or empties the buffer of that name and fills it; false when the
// path has no file name.
bool virtual_disk_write(VirtualDisk& disk, const std::string& path, std::vector<uint8_t> bytes);
// As virtual_disk_write, with bytes that `fill` makes when the buffer is
// first found.
bool virtual_disk_write_later(VirtualDisk& disk, const std::string& path, std::function<std::vector<uint8_t>()> fill);
// The buffer of that name (filled now if it was written later), or null.
const std::vector<uint8_t>* virtual_disk_find(VirtualDisk& disk, const std::string& path);
void virtual_disk_clear(VirtualDisk& disk);

}  // namespace tamori::host
