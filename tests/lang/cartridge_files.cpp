#include "cartridge_files.h"

#include <algorithm>
#include <fstream>

namespace tamori::lang {
namespace {

bool starts_section(const std::string& line) {
  for (const char* marker : {"__lua__", "__gfx__", "__gff__", "__map__", "__sfx__", "__music__",
                             "__label__", "__change_mask__", "__meta:"}) {
    if (line.starts_with(marker)) return true;
  }
  return false;
}

}  // namespace

std::filesystem::path shared_cartridge_folder() {
  return std::filesystem::path(TAMORI_SHARED_DIR) / "carts";
}

std::vector<std::filesystem::path> shared_cartridge_files() {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(shared_cartridge_folder(), error)) {
    if (entry.path().extension() == ".tm") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string cartridge_code(const std::filesystem::path& path, LineConverter convert_line) {
  std::ifstream in(path, std::ios::binary);
  std::string line, code;
  bool in_code = false;
  while (std::getline(in, line)) {
    if (line.starts_with("##end_tm")) break;
    if (starts_section(line)) {
      in_code = line.starts_with("__lua__");
      continue;
    }
    if (in_code) code += (convert_line ? convert_line(line) : line) + "\n";
  }
  if (!code.empty()) code.pop_back();
  return code;
}

}  // namespace tamori::lang
