// Cartridges run headless from start to stop: each tests/shell/data/carts/
// NAME.lua runs for the frames its first line names ("-- frames: N") and
// must write exactly NAME.out to standard output (printh lines, and the
// console's messages, which execute mode sends there once the program
// stopped). Lines "-- buttons: FRAME P0 [P1 ...]" hold buttons from that
// frame on, in the headless button script's form.
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

ButtonScript button_script(const std::string& code) {
  const std::string marker = "-- buttons: ";
  std::istringstream lines(code);
  std::string line, script_text;
  while (std::getline(lines, line))
    if (line.compare(0, marker.size(), marker) == 0) script_text += line.substr(marker.size()) + "\n";
  ButtonScript script;
  int bad_line = 0;
  EXPECT_TRUE(parse_button_script(script_text, &script, &bad_line)) << "button line " << bad_line;
  return script;
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
    HeadlessRunResult result = run_file(entry.path().string(), frames_wanted(code), button_script(code));
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.standard_output, read_text(expected_path));
    ruvo_exit(console);
    checked++;
  }
  EXPECT_GE(checked, 8);
}

}  // namespace
}  // namespace tamori::shell::testing
