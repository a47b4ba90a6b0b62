// Where the console keeps its files on this host, and the path rules the
// settings use.
#pragma once

#include <string>

namespace tamori::host {

// The settings' path rule: leading spaces skipped, control characters
// dropped, "\" turned into "/", "//" collapsed, trailing spaces stripped and
// one "/" at the end. An empty input gives an empty result.
std::string normalise_path(const std::string& path);

// Appends "/" unless the path already ends with one (or is empty).
std::string with_trailing_slash(const std::string& path);

// The data folder: `home_option` when given, else "$XDG_DATA_HOME/tamori/",
// else "$HOME/.local/share/tamori/" (else "./tamori/"). Always ends in "/".
std::string default_data_folder(const std::string& home_option);

// The desktop folder from XDG_DESKTOP_DIR, the user-dirs file, or $HOME/Desktop.
std::string default_desktop_folder();

// The user's log folder for the second log file.
std::string default_user_log_folder();

// Folder that holds the running program (from /proc/self/exe or argv[0]).
std::string program_folder(const char* argv0);

// Where data.pod is: beside the program (a build folder or a portable copy),
// else in "../share/tamori/" from it (an installed copy under any prefix).
// When neither exists, the path beside the program, for the error message.
std::string find_data_file(const std::string& program_folder);

}  // namespace tamori::host
