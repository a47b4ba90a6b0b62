#include "host/log.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "host/clock.h"

namespace tamori::host {
namespace {

constexpr size_t kLongestLine = 900;

struct LogState {
  FILE* files[2] = {nullptr, nullptr};
  int indent = 0;
  bool at_line_start = true;
  int32_t start_ms = 0;
  bool capturing = false;
  std::string captured;
};

LogState log_state;

void emit(const char* text, size_t length) {
  for (FILE* file : log_state.files) {
    if (!file) continue;
    std::fwrite(text, 1, length, file);
    std::fflush(file);
  }
  if (log_state.capturing) log_state.captured.append(text, length);
}

void emit(const std::string& text) { emit(text.data(), text.size()); }

}  // namespace

void ruvo_log_open(const std::string& data_folder_log, const std::string& user_log) {
  ruvo_log_close();
  if (!data_folder_log.empty()) log_state.files[0] = std::fopen(data_folder_log.c_str(), "wb");
  if (!user_log.empty()) log_state.files[1] = std::fopen(user_log.c_str(), "wb");
  log_state.start_ms = ruvo_get_time_ms();
  log_state.at_line_start = true;
  log_state.indent = 0;
}

void ruvo_log_close() {
  for (FILE*& file : log_state.files) {
    if (file) std::fclose(file);
    file = nullptr;
  }
}

void ruvo_log(const char* format, ...) {
  char buffer[kLongestLine + 2];
  va_list arguments;
  va_start(arguments, format);
  int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  if (length < 0) return;
  const char* text = buffer;
  if (size_t(length) > kLongestLine) text = "[debug string too long!]\n";

  bool indent_after = false;
  if (text[0] == '>') {
    indent_after = true;
    text++;
  } else if (text[0] == '<') {
    if (log_state.indent > 0) log_state.indent--;
    text++;
  }
  std::string out;
  if (log_state.at_line_start && *text) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "[%06d] ", int(ruvo_get_time_ms() - log_state.start_ms));
    out += prefix;
    out.append(size_t(log_state.indent) * 2, ' ');
  }
  out += text;
  if (*text) log_state.at_line_start = out.back() == '\n';
  if (indent_after) log_state.indent++;
  emit(out);
}

void ruvo_log_capture(bool on) {
  log_state.capturing = on;
  log_state.captured.clear();
}

const std::string& ruvo_log_captured() { return log_state.captured; }

void ruvo_fatal(const char* message) {
  std::printf("\n\n** FATAL ERROR: %s\n\n", message);
  std::fflush(stdout);
  ruvo_log("\n\n** FATAL ERROR: %s\n\n", message);
  ruvo_log_close();
  std::exit(0);
}

}  // namespace tamori::host
