// The shorthand of console commands: "load mygame" is run as
// load("mygame"), a bare "help" as help().
#pragma once

#include <string>
#include <string_view>

namespace tamori::runner {

struct CommandShorthand {
  enum class Kind { kNone, kCall, kConfig };
  Kind kind = Kind::kNone;
  std::string call;            // kCall: e.g. "help()" or "load(\"mygame\")"
  std::string config_argument; // kConfig: the text after "config"
};

CommandShorthand command_shorthand(std::string_view text);

}  // namespace tamori::runner
