// The code of every real cartridge in the shared folder compiles, and all
// but the one known to be too large fit the program limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cart/tmscii_utf8.h"
#include "lang/compiler.h"
#include "lang/program_limits.h"

namespace tamori::lang {
namespace {

const std::filesystem::path kCartridgeFolder = std::filesystem::path(TAMORI_SHARED_DIR) / "carts";

// This build is over the token limit on purpose; its minified build runs.
const std::string kTooLargeCartridge = "undune2_game_e7440807.tm";

bool starts_section(const std::string& line) {
  for (const char* marker : {"__lua__", "__gfx__", "__gff__", "__map__", "__sfx__", "__music__",
                             "__label__", "__change_mask__", "__meta:"}) {
    if (line.starts_with(marker)) return true;
  }
  return false;
}

// The code of a cartridge text file in tmscii: the lines between "__lua__"
// and the next section, each ended by a line break except the last.
std::string cartridge_code(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line, code;
  bool in_code = false;
  while (std::getline(in, line)) {
    if (line.starts_with("##end_tm")) break;
    if (starts_section(line)) {
      in_code = line.starts_with("__lua__");
      continue;
    }
    if (in_code) code += cart::utf8_to_tmscii(line) + "\n";
  }
  if (!code.empty()) code.pop_back();
  return code;
}

std::vector<std::filesystem::path> cartridge_files() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(kCartridgeFolder)) {
    if (entry.path().extension() == ".tm") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(CartridgeCode, EveryRealCartridgeCompiles) {
  if (!std::filesystem::is_directory(kCartridgeFolder)) GTEST_SKIP() << "no " << kCartridgeFolder;
  std::vector<std::filesystem::path> files = cartridge_files();
  ASSERT_FALSE(files.empty());
  for (const auto& path : files) {
    std::string code = cartridge_code(path);
    EXPECT_FALSE(code.empty()) << path.filename();
    CompileResult result = compile_chunk(code, path.filename().string());
    EXPECT_TRUE(result.ok()) << result.full_message;
  }
}

TEST(CartridgeCode, OnlyTheUnminifiedBuildIsOverTheLimits) {
  if (!std::filesystem::is_directory(kCartridgeFolder)) GTEST_SKIP() << "no " << kCartridgeFolder;
  for (const auto& path : cartridge_files()) {
    RunLimitCheck check = check_run_limits(cartridge_code(path));
    if (path.filename() == kTooLargeCartridge) {
      EXPECT_FALSE(check.may_run);
      ASSERT_EQ(check.messages.size(), 2u);
      EXPECT_EQ(check.messages[0], "program too large");
      EXPECT_GT(check.token_count, kTokenLimit);
    } else {
      EXPECT_TRUE(check.may_run) << path.filename() << ": " << check.token_count << " tokens";
      EXPECT_GT(check.token_count, 0) << path.filename();
    }
  }
}

}  // namespace
}  // namespace tamori::lang
