// The built-in key bindings, from the table in data/keyboard_bindings.txt.
#include "input/keyboard_bindings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace tamori::input {
namespace {

std::vector<int> parse_keys(const std::string& field) {
  std::vector<int> keys;
  std::istringstream parts(field);
  std::string part;
  while (std::getline(parts, part, '+')) keys.push_back(std::stoi(part));
  return keys;
}

TEST(KeyboardBindings, BuiltInTable) {
  std::ifstream file(std::string(TAMORI_TEST_DATA_DIR) + "/input/data/keyboard_bindings.txt");
  ASSERT_TRUE(file.is_open());
  const std::array<int, 25> no_settings{};
  std::string line;
  int cases = 0;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string keys_field, condition;
    int player = 0, button = 0, expected = 0;
    fields >> keys_field >> player >> button >> expected >> condition;
    host::KeyStates keys;
    for (int key : parse_keys(keys_field)) host::keys_host_down(keys, key);
    host::keys_update(keys, 0);
    const KeyContext context{condition != "stopped", condition == "paused"};
    EXPECT_EQ(keyboard_button_down(keys, no_settings, player, button, context), expected != 0) << line;
    cases++;
  }
  EXPECT_GT(cases, 40);
}

}  // namespace
}  // namespace tamori::input
