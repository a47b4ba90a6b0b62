// Golden pictures of composed scenes: each data/scenes/NAME.lua runs
// headless (the same core as the tamori_run tool) for kSceneFrames frames and
// its screen must match NAME.png beside it pixel for pixel. A mismatch writes
// the picture actually drawn into the build folder and names it, so that a
// reviewer can compare the two; data/scenes/README.md says how to regenerate.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../shell/cartridge_run_fixture.h"
#include "../shell/golden_picture.h"

namespace tamori::shell::testing {
namespace {

constexpr int kSceneFrames = 2;

std::vector<std::filesystem::path> scene_programs() {
  std::vector<std::filesystem::path> programs;
  const std::filesystem::path folder = std::filesystem::path(TAMORI_TEST_DATA_DIR) / "machine/data/scenes";
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ".lua") programs.push_back(entry.path());
  std::sort(programs.begin(), programs.end());
  return programs;
}

TEST_F(CartridgeRun, EverySceneDrawsItsGoldenPicture) {
  const std::filesystem::path mismatches = std::filesystem::path(TAMORI_BUILD_DIR) / "scene_mismatches";
  const std::vector<std::filesystem::path> programs = scene_programs();
  EXPECT_GE(programs.size(), 4u);
  for (const std::filesystem::path& program : programs) {
    const std::string name = program.stem().string();
    SCOPED_TRACE(name);
    HeadlessRunResult result = run_file(program.string(), kSceneFrames);
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.frames_run, kSceneFrames);
    EXPECT_EQ(result.standard_output, "") << "the scene stopped or printed";

    const Picture actual = screen_picture(console);
    ruvo_exit(console);
    std::filesystem::path golden = program;
    golden.replace_extension(".png");
    expect_golden_picture(actual, golden, mismatches, name);
  }
}

}  // namespace
}  // namespace tamori::shell::testing
