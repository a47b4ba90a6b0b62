#include "runner/bindings/printh_log.h"

#include <algorithm>
#include <cstdio>

#include "cart/tmscii_utf8.h"
#include "host/clock.h"
#include "runner/language.h"
#include "lang/number_text.h"
#include "runner/program_runner.h"

namespace tamori::runner {
namespace {

constexpr std::string_view kKnownExtensions[] = {".tml", ".txt", ".obj", ".mtl", ".svg",
                                                 ".pov", ".sfd", ".csv", ".ppm"};
constexpr size_t kMaxOutputPath = 1024;

std::string argument_text(ThreadState* thread, int index) {
  std::string_view text;
  switch (type_at(thread, index)) {
    case ValueType::String:
      string_at(thread, index, &text);
      return std::string(text);
    case ValueType::Number: return number_to_text(raw_number_at(thread, index));
    case ValueType::Boolean: return truth_at(thread, index) ? "true" : "false";
    default: return std::string("[") + type_name_at(thread, index) + "]";
  }
}

void write_to_stdout(std::string_view text) {
  ProgramRunner& runner = program_runner();
  if (runner.host.write_stdout) {
    runner.host.write_stdout(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

int printh(ThreadState* thread) {
  int count = get_top(thread);
  if (count < 1) return 0;
  ProgramRunner& runner = program_runner();
  std::string text = cart::tmscii_to_utf8(argument_text(thread, 1));
  if (count < 2) {
    write_to_stdout(text + "\n");
    return 0;
  }
  std::string_view name;
  if (!string_at(thread, 2, &name) || name.size() >= kMaxPrinthNameLength) return 0;
  if (name == "@clip") {
    runner.printh_log.clipboard = text;
    return 0;
  }
  std::string file_name;
  if (!printh_file_name(name, &file_name)) raise_error(thread, "printh: bad log file name");
  const bool to_desktop = count >= 4 && truth_at(thread, 4);
  std::string path = (to_desktop ? runner.host.desktop_folder : runner.host.output_folder) + file_name;
  if (path.size() >= kMaxOutputPath) raise_error(thread, "printh: bad log file name");

  PrinthLog& log = runner.printh_log;
  printh_check_period(log, host::ruvo_get_time_ms());
  if (log.bytes + int64_t(text.size()) > kMaxPrinthBytesPerPeriod) raise_error(thread, "printh: too much log data (10mb max)");
  if (std::find(log.files.begin(), log.files.end(), file_name) == log.files.end()) {
    if (log.files.size() >= kMaxPrinthFiles) raise_error(thread, "too many printh files");
    log.files.push_back(file_name);
  }
  log.bytes += int64_t(text.size());

  const bool overwrite = count >= 3 && truth_at(thread, 3);
  std::FILE* file = std::fopen(path.c_str(), overwrite ? "wb" : "ab");
  if (!file) {
    if (runner.host.show_message) runner.host.show_message("printh: could not write file", 1500);
    return 0;
  }
  std::fwrite(text.data(), 1, text.size(), file);
  if (text.find('\0') == std::string::npos) std::fputc('\n', file);
  std::fclose(file);
  return 0;
}

}  // namespace

bool printh_file_name(std::string_view name, std::string* file_name) {
  if (name.find("..") != std::string_view::npos) return false;
  for (char c : name) {
    bool allowed = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' || c == '.' || c == '/' || c == '_';
    if (!allowed) return false;
  }
  *file_name = std::string(name);
  bool known = false;
  for (std::string_view extension : kKnownExtensions)
    known = known || (name.size() >= extension.size() && name.substr(name.size() - extension.size()) == extension);
  if (!known) *file_name += ".tml";
  return true;
}

void printh_check_period(PrinthLog& log, int32_t now_ms) {
  if (now_ms - log.period_start_ms < kPrinthPeriodMs) return;
  log.period_start_ms = now_ms;
  log.files.clear();
  log.bytes = 0;
}

void register_printh_function(ThreadState* state) {
  register_native(state, "printh", printh);
  register_native(state, "__printh", printh);
}

}  // namespace tamori::runner
