// The configuration command against the table in data/config_commands.txt:
// the lines each argument prints (with their colours) and the settings it
// leaves; and the command reached through a program text.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cartridge_run_fixture.h"
#include "host/config.h"
#include "runner/program_runner.h"
#include "shell/config_command.h"
#include "shell/settings.h"

namespace tamori::shell {
namespace {

struct ConfigCase {
  std::string argument;
  std::vector<runner::ConsoleLine> lines;
  std::map<std::string, int> settings;
  int line_number = 0;
};

std::vector<ConfigCase> read_cases() {
  std::ifstream file(std::filesystem::path(TAMORI_TEST_DATA_DIR) / "shell/data/config_commands.txt");
  std::vector<ConfigCase> cases;
  std::string line;
  int number = 0;
  while (std::getline(file, line)) {
    number++;
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '>') {
      cases.push_back({line.size() > 2 ? line.substr(2) : "", {}, {}, number});
      continue;
    }
    if (cases.empty()) continue;
    if (line[0] == '=') {
      std::istringstream words(line.substr(2));
      std::string name;
      int value = 0;
      words >> name >> value;
      cases.back().settings[name] = value;
      continue;
    }
    const size_t space = line.find(' ');
    cases.back().lines.push_back({line.substr(space + 1), uint8_t(std::stoi(line.substr(0, space)))});
  }
  return cases;
}

int setting_value(const Console& console, const std::string& name) {
  const ConsoleSettings& settings = console_settings();
  const std::map<std::string, int> values = {
      {"volume", settings.volume},           {"last_volume", console.app.last_volume},
      {"gif_len", settings.gif_len},         {"gif_reset_mode", settings.gif_reset_mode},
      {"gif_scale", settings.gif_scale},     {"screenshot_scale", settings.screenshot_scale},
      {"tab_width", settings.tab_width},     {"gui_theme", settings.gui_theme},
      {"draw_tabs", settings.draw_tabs},     {"splore_filter", settings.splore_filter},
      {"sound_volume", host::ruvo_config().sound_volume},
  };
  auto found = values.find(name);
  EXPECT_NE(found, values.end()) << name;
  return found == values.end() ? -1 : found->second;
}

TEST(ConfigCommand, EveryTableCasePrintsItsLinesAndSetsItsSettings) {
  const std::vector<ConfigCase> cases = read_cases();
  ASSERT_GE(cases.size(), 20u);
  for (const ConfigCase& entry : cases) {
    SCOPED_TRACE("line " + std::to_string(entry.line_number) + ": config " + entry.argument);
    host::ruvo_config_reset_for_tests();
    console_settings() = ConsoleSettings{};
    Console console;
    std::vector<runner::ConsoleLine> lines = config_command(console, entry.argument);
    ASSERT_EQ(lines.size(), entry.lines.size());
    for (size_t i = 0; i < lines.size(); i++) {
      EXPECT_EQ(lines[i].text, entry.lines[i].text);
      EXPECT_EQ(int(lines[i].colour), int(entry.lines[i].colour)) << lines[i].text;
    }
    for (const auto& [name, value] : entry.settings) EXPECT_EQ(setting_value(console, name), value) << name;
  }
  console_settings() = ConsoleSettings{};
}

TEST(ConfigCommand, VolumeWhileMutedIsOnlyRemembered) {
  host::ruvo_config_reset_for_tests();
  console_settings() = ConsoleSettings{};
  Console console;
  host::ruvo_config().sound_volume = 0;
  config_command(console, "volume 100");
  EXPECT_EQ(host::ruvo_config().sound_volume, 0);
  EXPECT_EQ(console.app.last_volume, 100);
  host::ruvo_config_reset_for_tests();
}

}  // namespace

namespace testing {
namespace {

TEST_F(CartridgeRun, AProgramTextBeginningConfigRunsTheCommand) {
  run_code("printh('ran')\n", 2);
  std::string printed;
  console.app.write_stdout = [&printed](std::string_view text) { printed += text; };
  runner::run_program("config gif_len 30", true);
  EXPECT_EQ(printed, "set gif_len: 30\n");
  EXPECT_EQ(console_settings().gif_len, 30);
  printed.clear();
  runner::run_program("configure", true);  // not the command: a program text
  EXPECT_EQ(printed.find("set "), std::string::npos);
  console_settings().gif_len = 16;
}

}  // namespace
}  // namespace testing
}  // namespace tamori::shell
