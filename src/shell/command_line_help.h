// What the command line tells about itself: "--help" and "--version", and
// the hint for an option that neither the framework nor the console knows.
#pragma once

#include <string>
#include <vector>

namespace tamori::shell {

// "tamori 0.2.7": the line the console also shows at start.
std::string version_line();

// The usage summary: every option, framework options first, then the
// console's own.
std::string usage_text();

enum class InformationRequest { kNone, kHelp, kVersion };

// "--help" or "--version" anywhere among the options (exact double-dash
// forms, so no single-dash option can be mistaken for them); the first one
// given wins. Parsing ends where the console's parser ends it ("&", ">",
// "|"), and the text after "-export" is that option's value.
InformationRequest information_request(int argc, const char* const* argv);

// Whether the framework (by the beginning of its option names) or the
// console (by exact names) acts on `argument`, which begins with "-".
bool is_known_option(const std::string& argument);

// The options in the order given that nothing acts on.
std::vector<std::string> unknown_options(int argc, const char* const* argv);

// "tamori: unknown option -foo (tamori --help lists the options)\n"
std::string unknown_option_hint(const std::string& option);

}  // namespace tamori::shell
