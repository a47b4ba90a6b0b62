#include "capture/output_names.h"

#include <cstdio>

#include "host/files.h"
#include "host/paths.h"

namespace tamori::capture {
namespace {

constexpr int kMostNumberedNames = 100000;

bool plain_name_character(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ' ' || c == '-' ||
         c == '_';
}

std::string time_stamp(const std::tm& now) {
  char text[64];
  std::snprintf(text, sizeof text, "%d%02d%02d_%02d%02d%02d", now.tm_year + 1900, now.tm_mon + 1, now.tm_mday,
                now.tm_hour, now.tm_min, now.tm_sec);
  return text;
}

// Replaces the first "%" (and the "d" after it, as in "_%d") by `number`.
std::string numbered(const std::string& pattern, int number) {
  const std::size_t at = pattern.find('%');
  const std::size_t length = at + 1 < pattern.size() && pattern[at + 1] == 'd' ? 2 : 1;
  return pattern.substr(0, at) + std::to_string(number) + pattern.substr(at + length);
}

}  // namespace

std::string output_name_base(const std::string& title) {
  if (title.empty()) return "TAMORI";
  std::string base = title;
  for (char& c : base)
    if (!plain_name_character(c)) c = ' ';
  return base;
}

std::string chosen_output_name(const std::string& text) {
  std::string name = text.substr(0, text.find('.')).substr(0, kMaxChosenNameLength);
  for (char& c : name)
    if (!plain_name_character(c) && c != '%') c = ' ';
  return name;
}

std::optional<std::string> output_folder(const OutputNaming& naming, bool to_output_folder) {
  std::string folder = to_output_folder ? host::with_trailing_slash(naming.data_folder) + "appdata/" + naming.base + "/"
                                        : host::with_trailing_slash(naming.desktop_folder);
  if (folder.empty() || folder == "/") return std::nullopt;
  if (!host::make_folders(folder)) return std::nullopt;
  return folder;
}

std::optional<std::string> output_file_name(const OutputNaming& naming, const std::string& extension,
                                            bool to_output_folder, const std::tm& now) {
  std::string name;
  if (!naming.chosen_name.empty())
    name = naming.chosen_name + "." + extension;
  else if (naming.timestamps)
    name = naming.base + "_" + time_stamp(now) + "." + extension;
  else
    name = naming.base + "_%d." + extension;
  const std::optional<std::string> folder = output_folder(naming, to_output_folder);
  if (!folder) return std::nullopt;
  if (name.find('%') == std::string::npos) return *folder + name;
  for (int number = 0; number < kMostNumberedNames; number++) {
    const std::string path = *folder + numbered(name, number);
    if (!host::file_exists(path) && !host::folder_exists(path)) return path;
  }
  return std::nullopt;
}

std::tm local_time_now() {
  const std::time_t seconds = std::time(nullptr);
  std::tm now{};
  localtime_r(&seconds, &now);
  return now;
}

}  // namespace tamori::capture
