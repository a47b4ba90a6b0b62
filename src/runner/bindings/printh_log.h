// printh: text to the host's standard output, the clipboard or a log file
// in the output folder, with a rate limit of 10 MiB and 64 files a minute.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runner/language.h"

namespace tamori::runner {

inline constexpr int64_t kMaxPrinthBytesPerPeriod = 0xa00000;
inline constexpr size_t kMaxPrinthFiles = 64;
inline constexpr int32_t kPrinthPeriodMs = 60000;
inline constexpr size_t kMaxPrinthNameLength = 128;

struct PrinthLog {
  std::vector<std::string> files;  // distinct names written in this period
  int64_t bytes = 0;               // written in this period
  int32_t period_start_ms = 0;
  std::string clipboard;           // what "@clip" received last
};

// The log file name as used: false when it has a forbidden character or "..".
// Unknown extensions get ".tml".
bool printh_file_name(std::string_view name, std::string* file_name);

// Starts a new rate-limit period when the last one is over.
void printh_check_period(PrinthLog& log, int32_t now_ms);

void register_printh_function(ThreadState* state);

}  // namespace tamori::runner
