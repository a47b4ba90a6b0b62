// The console's own cartridges in assets/carts/: each one runs a minute
// (3600 frames) headless under a scripted player without stopping or
// reporting an error, stays within the program limits as the console's own
// counters measure them, and carries a label picture.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "cart/text_reader.h"
#include "cartridge_run_fixture.h"
#include "golden_picture.h"
#include "lang/token_scanner.h"
#include "runner/program_limits.h"

namespace tamori::shell::testing {
namespace {

constexpr int kFrames = 3600;

const std::filesystem::path kCartFolder = std::filesystem::path(TAMORI_SOURCE_DIR) / ".." / "assets" / "carts";

const char* const kFailureMessages[] = {"syntax error",      "runtime error",         "out of memory",
                                        "program too large", "host allocation error", "can not #include",
                                        "program exceeds char limit"};

// A player who tries everything: each two seconds a different mix of
// taps, held directions and both action buttons, pause included.
ButtonScript input_script() {
  const char* const moves[] = {"r", "-", "o", "-", "l", "d", "-", "x", "-", "u", "ro", "-", "lx", "d", "-", "o"};
  std::string script = "0 -\n";
  int frame = 45;
  for (int step = 0; frame < kFrames; ++step, frame += 9 + (step * 7) % 31)
    script += std::to_string(frame) + " " + moves[step % 16] + "\n";
  ButtonScript parsed;
  int bad_line = 0;
  EXPECT_TRUE(parse_button_script(script, &parsed, &bad_line)) << bad_line;
  return parsed;
}

std::vector<std::string> order_lines() {
  std::vector<std::string> names;
  std::ifstream order(kCartFolder / "order.txt");
  for (std::string line; std::getline(order, line);)
    if (!line.empty()) names.push_back(line);
  return names;
}

std::vector<std::string> cartridge_stems() {
  std::vector<std::string> stems;
  for (const std::string& name : order_lines()) stems.push_back(std::filesystem::path(name).stem().string());
  return stems;
}

TEST(OwnCartridgeFolder, OrderListsEveryCartridgeOnceWithTheLauncherFirst) {
  std::vector<std::string> listed = order_lines();
  ASSERT_FALSE(listed.empty());
  EXPECT_EQ(listed.front(), "launcher.tm");
  std::set<std::string> on_disk;
  for (const auto& entry : std::filesystem::directory_iterator(kCartFolder))
    if (entry.path().extension() == ".tm") on_disk.insert(entry.path().filename().string());
  std::vector<std::string> sorted = listed;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), on_disk);
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "a cartridge is listed twice";
}

TEST_F(CartridgeRun, TheLauncherFirstScreenMatchesItsGoldenPicture) {
  constexpr int kFirstScreenFrames = 40;
  HeadlessRunResult result = run_file((kCartFolder / "launcher.tm").string(), kFirstScreenFrames);
  ASSERT_TRUE(result.started);
  EXPECT_EQ(result.frames_run, kFirstScreenFrames);
  EXPECT_EQ(result.standard_output, "");
  expect_golden_picture(screen_picture(console), std::filesystem::path(TAMORI_TEST_DATA_DIR) / "shell/data/launcher_first_screen.png",
                        std::filesystem::path(TAMORI_BUILD_DIR) / "scene_mismatches", "launcher_first_screen");
}

class OwnCartridge : public CartridgeRun, public ::testing::WithParamInterface<std::string> {};

TEST_P(OwnCartridge, RunsAMinuteUnderAScriptedPlayerWithoutAnError) {
  const std::string stem = GetParam();
  HeadlessRunResult result = run_file((kCartFolder / (stem + ".tm")).string(), kFrames, input_script());
  ASSERT_TRUE(result.started) << stem;
  EXPECT_FALSE(result.quit) << stem << " stopped after " << result.frames_run << " frames:\n"
                            << result.standard_output;
  EXPECT_EQ(result.frames_run, kFrames) << stem;
  for (const char* failure : kFailureMessages)
    EXPECT_EQ(result.standard_output.find(failure), std::string::npos) << stem << ":\n" << result.standard_output;
}

TEST_P(OwnCartridge, StaysWithinTheProgramLimitsAndHasALabel) {
  const std::string stem = GetParam();
  cart::TextLoadResult loaded = cart::load_cartridge_text((kCartFolder / (stem + ".tm")).string());
  ASSERT_EQ(loaded.status, cart::TextLoadStatus::loaded) << stem;
  const std::string& code = loaded.cartridge->code;
  EXPECT_FALSE(code.empty()) << stem;
  EXPECT_LE(lang::count_tokens(code), runner::kTokenLimit) << stem;
  EXPECT_LE(code.size(), runner::kShownCharacterLimit) << stem;
  EXPECT_LE(runner::compressed_code_size(code), runner::kCompressedSizeLimit) << stem;
  EXPECT_TRUE(runner::check_run_limits(code).may_run) << stem;

  const std::vector<uint8_t>& label = loaded.cartridge->label;
  ASSERT_EQ(label.size(), 128u * 128u) << stem << " has no label";
  EXPECT_GT(std::set<uint8_t>(label.begin(), label.end()).size(), 2u) << stem << ": the label is nearly blank";
}

INSTANTIATE_TEST_SUITE_P(AssetCarts, OwnCartridge, ::testing::ValuesIn(cartridge_stems()), cartridge_test_name);

}  // namespace
}  // namespace tamori::shell::testing
