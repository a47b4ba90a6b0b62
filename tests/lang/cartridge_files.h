// Test helper: the real cartridges of the shared folder and their code.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tamori::lang {

// The shared folder of real cartridges (may be missing on other machines).
std::filesystem::path shared_cartridge_folder();

// The ".tm" files of the folder in name order; empty when it is missing.
std::vector<std::filesystem::path> shared_cartridge_files();

// The code of a cartridge text file in tmscii: the lines between "__lua__"
// and the next section, each ended by a line break except the last.
std::string cartridge_code(const std::filesystem::path& path);

}  // namespace tamori::lang
