#include "host/controller_mappings.h"

#include "host/files.h"
#include "host/paths.h"

namespace tamori::host {
namespace {

// A mapping file has no business being large; anything bigger is not read.
constexpr size_t kLargestMappingFile = 1 << 20;

std::vector<std::string> lines_of_file(const std::string& path) {
  std::optional<std::vector<uint8_t>> bytes = read_file(path, kLargestMappingFile);
  if (!bytes) return {};
  return controller_mapping_lines(std::string(bytes->begin(), bytes->end()));
}

}  // namespace

const std::vector<std::string>& built_in_controller_mappings() {
  // Common pads whose raw layout the host does not know by itself: GUID,
  // name, then console-facing button and axis bindings.
  static const std::vector<std::string> mappings = {
      "03000000790000000600000010010000,Generic USB Gamepad,a:b2,b:b1,x:b3,y:b0,back:b8,start:b9,"
      "leftshoulder:b4,rightshoulder:b5,dpup:h0.1,dpdown:h0.4,dpleft:h0.8,dpright:h0.2,leftx:a0,lefty:a1,"
      "platform:Linux,",
  };
  return mappings;
}

std::vector<std::string> controller_mapping_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    line.erase(0, first);
    if (line.rfind("//", 0) == 0 || line[0] == '#') continue;
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> gather_controller_mappings(const std::string& program_folder,
                                                    const std::string& data_folder) {
  std::vector<std::string> mappings = built_in_controller_mappings();
  if (!program_folder.empty()) {
    std::vector<std::string> lines = lines_of_file(with_trailing_slash(program_folder) + kControllerMappingsFileName);
    mappings.insert(mappings.end(), lines.begin(), lines.end());
  }
  if (!data_folder.empty()) {
    const std::string path = with_trailing_slash(data_folder) + kControllerMappingsFileName;
    if (!file_exists(path)) write_file(path, std::string(kControllerMappingsFileHeader));
    std::vector<std::string> lines = lines_of_file(path);
    mappings.insert(mappings.end(), lines.begin(), lines.end());
  }
  return mappings;
}

}  // namespace tamori::host
