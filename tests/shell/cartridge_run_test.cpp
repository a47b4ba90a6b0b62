// Cartridges run headless from start to stop: each tests/shell/data/carts/
// NAME.lua runs for the frames its first line names ("-- frames: N") and
// must write exactly NAME.out to standard output (printh lines, and the
// console's messages, which execute mode sends there once the program
// stopped).
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cartridge_run_fixture.h"

namespace tamori::shell::testing {
namespace {

std::string read_text(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

int frames_wanted(const std::string& code) {
  const std::string marker = "-- frames: ";
  return code.compare(0, marker.size(), marker) == 0 ? std::stoi(code.substr(marker.size())) : 10;
}

TEST_F(CartridgeRun, EveryDataCartridgePrintsItsExpectedOutput) {
  const std::filesystem::path folder = std::filesystem::path(TAMORI_TEST_DATA_DIR) / "shell/data/carts";
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".lua") continue;
    SCOPED_TRACE(entry.path().filename().string());
    std::filesystem::path expected_path = entry.path();
    expected_path.replace_extension(".out");
    const std::string code = read_text(entry.path());
    HeadlessRunResult result = run_file(entry.path().string(), frames_wanted(code));
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.standard_output, read_text(expected_path));
    ruvo_exit(console);
    checked++;
  }
  EXPECT_GE(checked, 8);
}

}  // namespace
}  // namespace tamori::shell::testing
