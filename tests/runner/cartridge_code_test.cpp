// The code of every real cartridge in the shared folder compiles, and all
// but the one known to be too large fit the program limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cartridge_files.h"
#include "cart/tmscii_utf8.h"
#include "lang/compiler.h"
#include "runner/program_limits.h"

namespace tamori::runner {
namespace {

using namespace tamori::lang;

// This build is over the token limit on purpose; its minified build runs.
const std::string kTooLargeCartridge = "undune2_game_e7440807.tm";

TEST(CartridgeCode, EveryRealCartridgeCompiles) {
  std::vector<std::filesystem::path> files = shared_cartridge_files();
  if (files.empty()) GTEST_SKIP() << "no cartridges in " << shared_cartridge_folder();
  for (const auto& path : files) {
    std::string code = cartridge_code(path, cart::utf8_to_tmscii);
    EXPECT_FALSE(code.empty()) << path.filename();
    CompileResult result = compile_chunk(code, path.filename().string());
    EXPECT_TRUE(result.ok()) << result.full_message;
  }
}

TEST(CartridgeCode, OnlyTheUnminifiedBuildIsOverTheLimits) {
  std::vector<std::filesystem::path> files = shared_cartridge_files();
  if (files.empty()) GTEST_SKIP() << "no cartridges in " << shared_cartridge_folder();
  for (const auto& path : files) {
    RunLimitCheck check = check_run_limits(cartridge_code(path, cart::utf8_to_tmscii));
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
}  // namespace tamori::runner
