#include "shell/help_command.h"

#include <sstream>

#include "shell/console_text.h"
#include "shell/system_commands.h"

namespace tamori::shell {
namespace {

constexpr int kTextColour = 6;
constexpr int kSeeAlsoColour = 12;
constexpr int kNoteColour = 13;

const HelpTopics& console_help(const Console& console) {
  // Parsed once: the data file does not change while the console runs.
  static const HelpTopics topics = parse_help_topics(console.app.data.help_text);
  return topics;
}

// "see also" lines, and lines marked with a leading "=", stand out.
void print_lines(Console& console, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (line.starts_with("=")) command_print(console, line.substr(1), kSeeAlsoColour);
    else command_print(console, line, line.starts_with("see also") ? kSeeAlsoColour : kTextColour);
  }
}

}  // namespace

HelpTopics parse_help_topics(const std::string& text) {
  HelpTopics help;
  std::istringstream stream(text);
  std::string line;
  std::vector<std::string> names, lines;
  auto finish = [&] {
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    for (const std::string& name : names) help.topics[name] = lines;
    names.clear();
    lines.clear();
  };
  while (std::getline(stream, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with("##")) continue;
    if (line.starts_with("@@ ")) {
      finish();
      std::istringstream words(line.substr(3));
      std::string word;
      while (words >> word) names.push_back(word);
      continue;
    }
    if (!names.empty()) lines.push_back(line);
  }
  finish();
  return help;
}

void command_help(Console& console, const HelpRequest& request) {
  if (!command_allowed(console)) return;
  const HelpTopics& help = console_help(console);
  if (!request.given) {
    auto found = help.topics.find("commands");
    command_print(console, "", kTextColour);
    command_print(console, "commands", kSeeAlsoColour);
    command_print(console, "", kTextColour);
    if (found != help.topics.end()) print_lines(console, found->second);
    command_print(console, "", kTextColour);
    return;
  }
  if (!request.topic || request.topic->size() > kMaxHelpTopicLength) {
    command_print(console, "try: help <topic> instead. e.g.", kNoteColour);
    command_print(console, "help gfx", kTextColour);
    return;
  }
  const std::string& topic = *request.topic;
  if (topic.size() >= 2 && topic.front() == '<' && topic.back() == '>') {
    command_print(console, "type the topic without <>. e.g.:", kNoteColour);
    command_print(console, "help gfx", kTextColour);
    return;
  }
  auto found = help.topics.find(topic);
  if (found == help.topics.end()) {
    command_print(console, "topic not found:", kNoteColour);
    command_print(console, topic, kTextColour);
    return;
  }
  if (!console.app.options.execute) console_clear(console.app.console_text);
  print_lines(console, found->second);
}

}  // namespace tamori::shell
