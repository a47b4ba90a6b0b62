// Runs every script under data/scripts and compares what it prints and how
// it ends with the expectations written in its comments:
//   -- expect: TEXT                    the next printed line is TEXT
//   -- expect runtime error: MESSAGE   the script ends with this error
// Mismatches are reported with the script's file name and line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "script_support.h"

namespace tamori::lang::testing {
namespace {

struct Expectation {
  int line = 0;
  std::string text;
};

struct ScriptExpectations {
  std::vector<Expectation> printed;
  bool expects_error = false;
  Expectation error;
};

std::string trim(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r')) text.pop_back();
  return text;
}

ScriptExpectations read_expectations(const std::string& source) {
  static const std::string kPrinted = "-- expect: ";
  static const std::string kError = "-- expect runtime error: ";
  ScriptExpectations expectations;
  std::istringstream lines(source);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    number++;
    size_t at = line.find(kPrinted);
    if (at != std::string::npos) {
      expectations.printed.push_back({number, trim(line.substr(at + kPrinted.size()))});
      continue;
    }
    at = line.find(kError);
    if (at != std::string::npos) {
      expectations.expects_error = true;
      expectations.error = {number, trim(line.substr(at + kError.size()))};
    }
  }
  return expectations;
}

std::vector<std::filesystem::path> script_files() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(TAMORI_TEST_DATA_DIR "/lang/data/scripts")) {
    if (entry.path().extension() == ".lua") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void check_every_script(bool collect_always, int32_t stress_step_work = 0) {
  std::vector<std::filesystem::path> files = script_files();
  ASSERT_FALSE(files.empty());
  for (const auto& path : files) {
    std::ifstream file(path, std::ios::binary);
    std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::string name = path.filename().string();
    ScriptExpectations expectations = read_expectations(source);
    ScriptRun run = run_script(source, name, collect_always, stress_step_work);
    ASSERT_TRUE(run.compiled) << name << ": " << run.compile_error;
    size_t count = std::max(expectations.printed.size(), run.printed.size());
    for (size_t i = 0; i < count; i++) {
      if (i >= expectations.printed.size()) {
        ADD_FAILURE() << name << ": unexpected output line " << i + 1 << ": " << run.printed[i];
        break;
      }
      const Expectation& expected = expectations.printed[i];
      if (i >= run.printed.size()) {
        ADD_FAILURE() << name << ":" << expected.line << ": expected \"" << expected.text
                      << "\" but the script printed nothing more"
                      << (run.failed ? " (error: " + run.error_message + ")" : "");
        break;
      }
      EXPECT_EQ(expected.text, run.printed[i]) << name << ":" << expected.line;
    }
    if (expectations.expects_error) {
      EXPECT_TRUE(run.failed) << name << ":" << expectations.error.line << ": expected an error";
      EXPECT_EQ(expectations.error.text, run.error_message) << name << ":" << expectations.error.line;
    } else {
      EXPECT_FALSE(run.failed) << name << ": unexpected error: " << run.error_message;
    }
  }
}

TEST(VmScripts, EveryScriptMeetsItsExpectations) { check_every_script(false); }

// The same scripts with a full collection at every safe point: nothing live
// may be freed, whatever the timing.
TEST(VmScripts, EveryScriptSurvivesCollectionAtEverySafePoint) { check_every_script(true); }

// And with the smallest collector step at every safe point, so that
// mutations happen in every phase of a cycle.
TEST(VmScripts, EveryScriptSurvivesAStepAtEverySafePoint) { check_every_script(false, 1); }

}  // namespace
}  // namespace tamori::lang::testing
