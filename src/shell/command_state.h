// What the system commands keep between calls: the current folder below the
// root, the overwrite confirmation of save, why the last load failed, the
// rate limit on opening folders, an unfinished listing and the base name of
// output files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runner/program_limits.h"

namespace tamori::shell {

enum class LoadFailure { none, failed, future_version, code_size };

struct CommandState {
  std::string current_folder;  // below the root, no leading or trailing "/"
  bool overwrite_confirmed = false;
  LoadFailure last_load_failure = LoadFailure::none;
  int folder_openings = 0;  // since the last minute began
  int32_t last_reset_request_ms = -100000;
  // Lines of an ls page not printed yet ("--more--").
  std::vector<runner::ConsoleLine> unfinished_listing;
  std::string output_base_name;  // extcmd("set_filename")
};

}  // namespace tamori::shell
