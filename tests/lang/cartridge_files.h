// Test helper: the real cartridges of the shared folder and their code.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tamori::lang {

// The shared folder of real cartridges (may be missing on other machines).
std::filesystem::path shared_cartridge_folder();

// The ".tm" files of the folder in name order; empty when it is missing.
std::vector<std::filesystem::path> shared_cartridge_files();

// The code of a cartridge text file: the lines between "__lua__" and the next
// section, each ended by a line break except the last. The file is UTF-8; the
// console's tests pass its tmscii converter, the language's own tests (which
// know nothing of the console's character set) take the bytes as they are.
using LineConverter = std::string (*)(std::string_view line);
std::string cartridge_code(const std::filesystem::path& path, LineConverter convert_line = nullptr);

}  // namespace tamori::lang
