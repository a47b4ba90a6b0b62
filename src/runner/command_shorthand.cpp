#include "runner/command_shorthand.h"

namespace tamori::runner {
namespace {

constexpr std::string_view kCommandNames[] = {
    "help",  "run",    "cls",           "folder",        "reboot", "shutdown", "ls",     "dir",    "mkdir",
    "cd",    "load",   "save",          "install_demos", "install_games", "info", "export", "keyconfig",
    "splore", "import", "login",        "logout",        "upload", "backup",   "reset",  "man",
};

std::string canonical_name(std::string_view name) {
  if (name == "man") return "help";
  if (name == "dir") return "ls";
  return std::string(name);
}

// The rest of the line as a string literal; quotes and backslashes are
// escaped so that no argument can break out of it.
std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\n' || c == '\r') break;
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

CommandShorthand command_shorthand(std::string_view text) {
  CommandShorthand result;
  if (text == "s") {
    result.kind = CommandShorthand::Kind::kCall;
    result.call = "splore()";
    return result;
  }
  if (text.substr(0, 6) == "config" && (text.size() == 6 || text[6] == ' ')) {
    result.kind = CommandShorthand::Kind::kConfig;
    result.config_argument = std::string(text.size() > 7 ? text.substr(7) : std::string_view());
    return result;
  }
  for (std::string_view name : kCommandNames) {
    if (text == name) {
      result.kind = CommandShorthand::Kind::kCall;
      result.call = canonical_name(name) + "()";
      return result;
    }
    if (text.size() > name.size() + 1 && text.substr(0, name.size()) == name && text[name.size()] == ' ' &&
        text[name.size() + 1] != '"') {
      result.kind = CommandShorthand::Kind::kCall;
      result.call = canonical_name(name) + "(" + quoted(text.substr(name.size() + 1)) + ")";
      return result;
    }
  }
  return result;
}

}  // namespace tamori::runner
