// Where captures go and what they are called: the name base from the
// console's title, the name a cartridge chose, sequential or time-stamped
// names, and the desktop or the cartridge's own output folder.
#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace tamori::capture {

inline constexpr std::size_t kMaxChosenNameLength = 63;

struct OutputNaming {
  std::string base;          // from output_name_base
  std::string chosen_name;   // from chosen_output_name; empty: none
  bool timestamps = false;   // capture_timestamps
  std::string desktop_folder;
  std::string data_folder;   // the console's data folder
};

// The title with every character other than a digit, a letter, a space, "-"
// or "_" replaced by a space; "TAMORI" when the title is empty.
std::string output_name_base(const std::string& title);

// A cartridge's name for its captures: the part before the first ".", at
// most 63 characters. Path separators and other characters a file name
// should not carry become spaces ("%" stays: it asks for numbering), so the
// name can never lead out of the capture folder.
std::string chosen_output_name(const std::string& text);

// The folder captures go to: the desktop, or "appdata/<base>/" in the data
// folder. Created when missing; nothing when it cannot be.
std::optional<std::string> output_folder(const OutputNaming& naming, bool to_output_folder);

// The full path for a capture with `extension` ("png", "gif", "wav"): the
// chosen name, else base + "_%d" or base + "_" + the time stamp of `now`;
// a "%" is replaced by the first number whose file does not exist yet.
// Nothing when the folder cannot be made or no free number is left.
std::optional<std::string> output_file_name(const OutputNaming& naming, const std::string& extension,
                                            bool to_output_folder, const std::tm& now);

// The local calendar time now.
std::tm local_time_now();

}  // namespace tamori::capture
