// Helpers shared by the interpreter tests: a language state with the
// language library and a few test functions (print into a buffer, pairs and
// ipairs, pcall/error, a cycle counter, a collector trigger) and a runner
// that compiles and runs a script.
#pragma once

#include <string>
#include <vector>

#include "lang/state.h"

namespace tamori::lang::testing {

struct ScriptRun {
  bool compiled = false;
  std::string compile_error;
  bool failed = false;          // a run-time error ended the script
  std::string error_message;
  std::vector<std::string> printed;  // one entry per print call
};

// A state with the language and test functions registered; printed lines go to `printed`.
ThreadState* create_test_state(std::vector<std::string>* printed);

// Compiles and runs `source` in a fresh state with an unlimited budget;
// `collect_always` runs a full collection at every safe point; a positive
// `stress_step_work` runs a collector step of that much work at every one
// instead, so that the cycle advances in small pieces between mutations.
ScriptRun run_script(const std::string& source, const std::string& chunk_name, bool collect_always = false,
                     int32_t stress_step_work = 0);

// The text print shows for the value at stack index `index`.
std::string display_text(ThreadState* thread, int index);

}  // namespace tamori::lang::testing
