// Developer log: every line goes to "log.txt" in the data folder and to a
// second log in the user's log folder, both flushed after every write.
#pragma once

#include <cstdio>
#include <string>

namespace tamori::host {

// Opens (truncates) the two log files; either path may be empty.
void ruvo_log_open(const std::string& data_folder_log, const std::string& user_log);
void ruvo_log_close();

// printf-style. A line starting with '>' is printed and indents later lines
// by two more spaces; '<' removes one level of indentation before printing.
void ruvo_log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Test hook: what the log has written since it was opened (kept only while
// capture is on).
void ruvo_log_capture(bool on);
const std::string& ruvo_log_captured();

// Prints the fatal-error text to standard output and the log, shuts the
// framework down and exits with status 0.
[[noreturn]] void ruvo_fatal(const char* message);

}  // namespace tamori::host
