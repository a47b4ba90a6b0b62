// Compatibility: every cartridge in the shared folder of other people's
// cartridges runs headless for 600 frames with a fixed input script, and
// none of them stops with an error the console should not have caused.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cartridge_run_fixture.h"

namespace tamori::shell::testing {
namespace {

constexpr int kFrames = 600;

const std::filesystem::path kCartFolder = std::filesystem::path(TAMORI_SHARED_DIR) / "carts";

// Cartridges that cannot run cleanly on their own, with the message they
// must stop with and why.
const std::map<std::string, std::string> kExpectedStops = {
    // A memory stress test: it allocates until the console stops it.
    {"test_a6775d50", "out of memory"},
    // The authors' unminified build, over the token limit on purpose.
    {"undune2_game_e7440807", "program too large"},
    // Missions of undune2_min: they read the game state that undune2_min
    // stores with cartdata before it loads them, so alone they index nil.
    {"undune2_map2_0bc5b64b", "runtime error"},
    {"undune2_map5_188c06e6", "runtime error"},
    {"undune2_map7_98110ce3", "runtime error"},
    {"undune2_map9_40858743", "runtime error"},
};

const char* const kFailureMessages[] = {"syntax error", "runtime error", "out of memory", "program too large",
                                        "host allocation error", "can not #include"};

// Nothing for a second, then O, X and each direction in turn, as a player
// finding their way through a title screen and into a game would press them.
ButtonScript input_script() {
  ButtonScript script;
  int bad_line = 0;
  parse_button_script("0 -\n60 o\n70 -\n90 x\n100 -\n120 r\n180 l\n240 u\n300 d\n360 o\n370 -\n420 x\n430 -\n"
                      "480 ro\n540 lx\n560 -\n",
                      &script, &bad_line);
  return script;
}

std::vector<std::string> cartridge_stems() {
  std::vector<std::string> stems;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(kCartFolder, error))
    if (entry.path().extension() == ".tm") stems.push_back(entry.path().stem().string());
  std::sort(stems.begin(), stems.end());
  return stems;
}

class RealCartridge : public CartridgeRun, public ::testing::WithParamInterface<std::string> {};

TEST_P(RealCartridge, RunsSixHundredFramesWithoutAnError) {
  const std::string stem = GetParam();
  HeadlessRunResult result = run_file((kCartFolder / (stem + ".tm")).string(), kFrames, input_script());
  ASSERT_TRUE(result.started) << stem;
  auto expected = kExpectedStops.find(stem);
  if (expected != kExpectedStops.end()) {
    EXPECT_NE(result.standard_output.find(expected->second), std::string::npos)
        << stem << " should stop with \"" << expected->second << "\":\n"
        << result.standard_output;
    return;
  }
  for (const char* failure : kFailureMessages)
    EXPECT_EQ(result.standard_output.find(failure), std::string::npos) << stem << ":\n" << result.standard_output;
}

INSTANTIATE_TEST_SUITE_P(SharedCarts, RealCartridge, ::testing::ValuesIn(cartridge_stems()), cartridge_test_name);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RealCartridge);

}  // namespace
}  // namespace tamori::shell::testing
