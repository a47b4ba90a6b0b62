#include "host/paths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tamori::host {
namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string home_folder() {
  std::string home = environment("HOME");
  return home.empty() ? std::string(".") : home;
}

// Reads XDG_DESKTOP_DIR from ~/.config/user-dirs.dirs ("$HOME/Desktop" style).
std::string desktop_from_user_dirs() {
  std::string config = environment("XDG_CONFIG_HOME");
  if (config.empty()) config = home_folder() + "/.config";
  std::ifstream file(config + "/user-dirs.dirs");
  std::string line;
  const std::string key = "XDG_DESKTOP_DIR=";
  while (std::getline(file, line)) {
    if (line.compare(0, key.size(), key) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.compare(0, 5, "$HOME") == 0) value = home_folder() + value.substr(5);
    return value;
  }
  return {};
}

}  // namespace

std::string normalise_path(const std::string& path) {
  size_t start = 0;
  while (start < path.size() && path[start] == ' ') start++;
  std::string out;
  for (size_t i = start; i < path.size(); i++) {
    char c = path[i];
    if (static_cast<unsigned char>(c) < 32 || c == 127) continue;
    if (c == '\\') c = '/';
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out += c;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  if (out.empty()) return out;
  if (out.back() != '/') out += '/';
  return out;
}

std::string with_trailing_slash(const std::string& path) {
  if (path.empty() || path.back() == '/') return path;
  return path + "/";
}

std::string default_data_folder(const std::string& home_option) {
  if (!home_option.empty()) return with_trailing_slash(home_option);
  std::string data_home = environment("XDG_DATA_HOME");
  if (!data_home.empty()) return with_trailing_slash(data_home) + "tamori/";
  return home_folder() + "/.local/share/tamori/";
}

std::string default_desktop_folder() {
  std::string desktop = environment("XDG_DESKTOP_DIR");
  if (desktop.empty()) desktop = desktop_from_user_dirs();
  if (desktop.empty()) desktop = home_folder() + "/Desktop";
  return with_trailing_slash(desktop);
}

std::string default_user_log_folder() {
  std::string state_home = environment("XDG_STATE_HOME");
  if (!state_home.empty()) return with_trailing_slash(state_home) + "tamori/";
  return home_folder() + "/.local/state/tamori/";
}

std::string program_folder(const char* argv0) {
  char buffer[4096];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string path;
  if (length > 0) {
    path.assign(buffer, size_t(length));
  } else if (argv0) {
    path = argv0;
  }
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "./";
  return path.substr(0, slash + 1);
}

std::string find_data_file(const std::string& program_folder) {
  const std::string beside = with_trailing_slash(program_folder) + "data.pod";
  std::error_code error;
  if (std::filesystem::is_regular_file(beside, error)) return beside;
  const std::filesystem::path installed =
      (std::filesystem::path(with_trailing_slash(program_folder)) / ".." / "share" / "tamori" / "data.pod").lexically_normal();
  if (std::filesystem::is_regular_file(installed, error)) return installed.string();
  return beside;
}

}  // namespace tamori::host
