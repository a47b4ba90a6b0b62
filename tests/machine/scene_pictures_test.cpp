// Golden pictures of composed scenes: each data/scenes/NAME.lua runs
// headless (the same core as the tamori_run tool) for kSceneFrames frames and
// its screen must match NAME.png beside it pixel for pixel. A mismatch writes
// the picture actually drawn into the build folder and names it, so that a
// reviewer can compare the two; data/scenes/README.md says how to regenerate.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../shell/cartridge_run_fixture.h"

namespace tamori::shell::testing {
namespace {

constexpr int kSceneFrames = 2;

struct Picture {
  unsigned width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

bool read_png(const std::filesystem::path& path, Picture* picture) {
  unsigned char* pixels = nullptr;
  if (lodepng_decode32_file(&pixels, &picture->width, &picture->height, path.string().c_str()) != 0) return false;
  picture->rgba.assign(pixels, pixels + size_t(picture->width) * picture->height * 4);
  free(pixels);
  return true;
}

// Where the pictures differ, in words: how many pixels and the first one.
std::string describe_difference(const Picture& expected, const Picture& actual) {
  if (expected.width != actual.width || expected.height != actual.height) {
    std::ostringstream text;
    text << "size " << actual.width << "x" << actual.height << " instead of " << expected.width << "x"
         << expected.height;
    return text.str();
  }
  size_t differing = 0, first = 0;
  for (size_t pixel = 0; pixel < size_t(actual.width) * actual.height; pixel++) {
    if (std::equal(&actual.rgba[pixel * 4], &actual.rgba[pixel * 4 + 4], &expected.rgba[pixel * 4])) continue;
    if (differing++ == 0) first = pixel;
  }
  if (differing == 0) return "";
  std::ostringstream text;
  text << differing << " pixels differ, the first at (" << first % actual.width << ", " << first / actual.width << ")";
  return text.str();
}

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

    Picture actual;
    int width = 0, height = 0;
    actual.rgba = screen_rgba(console, &width, &height);
    actual.width = unsigned(width);
    actual.height = unsigned(height);
    ruvo_exit(console);

    Picture expected;
    std::filesystem::path golden = program;
    golden.replace_extension(".png");
    const bool have_golden = read_png(golden, &expected);
    const std::string difference = have_golden ? describe_difference(expected, actual) : "no golden picture";
    if (difference.empty()) continue;
    std::filesystem::create_directories(mismatches);
    const std::filesystem::path written = mismatches / (name + ".png");
    lodepng_encode32_file(written.string().c_str(), actual.rgba.data(), actual.width, actual.height);
    ADD_FAILURE() << name << ": " << difference << "; the picture drawn is " << written.string() << ", the golden one "
                  << golden.string();
  }
}

}  // namespace
}  // namespace tamori::shell::testing
