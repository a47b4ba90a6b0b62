// Game-controller mapping lines for the host's controller database: a small
// built-in table, then the "sdl_controllers.txt" files of the program folder
// and the data folder. The host layer hands every line to its database.
#pragma once

#include <string>
#include <vector>

namespace tamori::host {

inline constexpr const char* kControllerMappingsFileName = "sdl_controllers.txt";
inline constexpr const char* kControllerMappingsFileHeader = "// add SDL2 game controller mappings to this file\n";

// Mappings compiled into the program, added before the files.
const std::vector<std::string>& built_in_controller_mappings();

// The mapping lines of a file's text: blank lines and lines starting with
// "//" or "#" are left out, and line ends (\n or \r\n) are trimmed.
std::vector<std::string> controller_mapping_lines(const std::string& text);

// Every mapping line to add, in order: the built-in table, the program
// folder's file, the data folder's file. The data folder's file is created
// with its comment line when it does not exist.
std::vector<std::string> gather_controller_mappings(const std::string& program_folder,
                                                    const std::string& data_folder);

}  // namespace tamori::host
