// help([topic]): the console's help texts. They live in one data file,
// assets/help.txt, which the data file carries as resource 300:
//
//   @@ name [other names ...]
//   lines of the topic's text
//   see also: ...
//
// Lines before the first "@@" are ignored, as are lines starting "##". The
// topic "commands" is the summary help prints without a topic. Lines that
// start with "see also", or with "=" (not shown), print in colour 12.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "shell/console_state.h"

namespace tamori::shell {

inline constexpr std::size_t kMaxHelpTopicLength = 32;

struct HelpTopics {
  // Every name of a topic leads to the same lines.
  std::map<std::string, std::vector<std::string>> topics;
};

HelpTopics parse_help_topics(const std::string& text);

struct HelpRequest {
  bool given = false;               // an argument other than nil
  std::optional<std::string> topic;  // it, when it is a string
};

void command_help(Console& console, const HelpRequest& request);

}  // namespace tamori::shell
