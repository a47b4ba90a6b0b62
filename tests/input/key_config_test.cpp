// The key-configuration screen: entries, keys taken from the host key
// states, cancel and completion, and the picture it draws (with the font
// from the built data.pod).
#include "input/key_config.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "host/console_data.h"
#include "host/scancode_names.h"
#include "host/scancodes.h"

namespace tamori::input {
namespace {

using namespace host::scancode;
constexpr int J = 13, K = 14, L = 15;

struct ScreenFixture {
  KeyConfigScreen screen;
  ButtonKeys button_keys{};
  host::KeyStates keys;
  int32_t now_ms = 0;

  // One tick with exactly `held` down.
  bool tick(std::vector<int> held = {}) {
    host::keys_release_all(keys);
    for (int key : held) host::keys_host_down(keys, key);
    host::keys_update(keys, now_ms);
    now_ms += 33;
    return keyconfig_update(screen, button_keys, keys);
  }
  // Press and release one key, as a user would.
  void type(int key) {
    tick({key});
    tick();
  }
};

TEST(KeyConfigEntries, LabelsAndBuiltInNames) {
  const std::string o(1, char(142)), x(1, char(151));
  const std::string labels[kKeyConfigEntries] = {
      "p1 left    ", "p1 right   ", "p1 up      ", "p1 down    ", "p1 " + o + "      ", "p1 " + x + "      ",
      "p2 left    ", "p2 right   ", "p2 up      ", "p2 down    ", "p2 " + o + "      ", "p2 " + x + "      ",
      "pause      ",
  };
  const char* built_in[kKeyConfigEntries] = {"left", "right", "up", "down", "z / c / n", "x / v / m", "s",
                                             "f",    "e",     "d",  "tab",  "q",         "p / enter"};
  for (int entry = 0; entry < kKeyConfigEntries; entry++) {
    EXPECT_EQ(key_config_label(entry), labels[entry]) << entry;
    // Eleven character cells: a wide glyph takes two.
    int cells = 0;
    for (unsigned char code : key_config_label(entry)) cells += code < 128 ? 1 : 2;
    EXPECT_EQ(cells, 11) << entry;
    EXPECT_EQ(key_config_key_name(entry, 0), built_in[entry]) << entry;
  }
  EXPECT_EQ(key_config_label(13), "");
  EXPECT_EQ(key_config_key_name(3, J), "j");
}

TEST(KeyConfigEntries, ScancodeNames) {
  const std::pair<int, const char*> names[] = {
      {A, "a"},         {Z, "z"},          {Digit1, "1"},           {Digit0, "0"},
      {Return, "return"}, {Space, "space"}, {Minus, "-"},           {F1, "f1"},
      {F12, "f12"},     {Delete, "delete"}, {Up, "up"},             {Keypad1, "keypad 1"},
      {98, "keypad 0"}, {KeypadEnter, "keypad enter"}, {LeftShift, "left shift"}, {RightGui, "right gui"},
      {104, "f13"},     {0, "key 0"},      {511, "key 511"},        {-3, "key -3"},
  };
  for (const auto& [scancode, name] : names) EXPECT_EQ(host::scancode_name(scancode), name) << scancode;
}

TEST(KeyConfigKeys, EachEntryTakesTheNextKeyAfterAllAreReleased) {
  ScreenFixture f;
  f.button_keys[20] = 77;  // player 3's setting is not touched by the screen
  // The key that opened the screen is still held: it is not taken.
  keyconfig_init(f.screen, f.button_keys);
  EXPECT_FALSE(f.tick({Return}));
  EXPECT_FALSE(f.tick({Return}));
  EXPECT_EQ(f.screen.current, 0);
  f.tick();
  // Holding a key for several ticks assigns it once.
  f.tick({J});
  f.tick({J});
  f.tick({J});
  EXPECT_EQ(f.screen.current, 1);
  EXPECT_EQ(f.button_keys[0], J);
  f.tick();
  // Delete and Backspace choose the built-in binding.
  f.button_keys[1] = 50;
  f.type(Delete);
  EXPECT_EQ(f.button_keys[1], 0);
  f.button_keys[2] = 50;
  f.type(Backspace);
  EXPECT_EQ(f.button_keys[2], 0);
  // Escape is never a binding: it leaves the screen.
  f.tick({Escape});
  EXPECT_EQ(f.screen.current, 3);
  f.tick();
  const int rest[] = {K, L, A, S, D, F, Up, Down, LeftShift};
  for (int i = 0; i < 9; i++) {
    f.tick({rest[i]});
    const bool finished = f.tick();
    EXPECT_EQ(finished, false);
  }
  EXPECT_EQ(f.screen.current, 12);
  EXPECT_TRUE(f.tick({Space})) << "the last entry finishes the screen";
  EXPECT_EQ(f.screen.current, kKeyConfigEntries);
  EXPECT_EQ(f.button_keys[12], Space);
  EXPECT_EQ(f.button_keys[11], LeftShift);
  EXPECT_EQ(f.button_keys[20], 77);
  // Once finished, keys change nothing.
  f.type(Z);
  EXPECT_EQ(f.button_keys[12], Space);
}

TEST(KeyConfigKeys, EscapeCancelsUnfinishedChangesAndKeepsFinishedOnes) {
  ScreenFixture f;
  f.button_keys[0] = 60;
  f.button_keys[12] = 61;
  const ButtonKeys before = f.button_keys;
  keyconfig_init(f.screen, f.button_keys);
  f.tick();
  f.type(J);
  f.type(K);
  ASSERT_EQ(f.button_keys[0], J);
  EXPECT_FALSE(keyconfig_keypress(f.screen, f.button_keys, Z)) << "only Escape closes";
  EXPECT_TRUE(keyconfig_keypress(f.screen, f.button_keys, Escape));
  EXPECT_FALSE(f.screen.open);
  EXPECT_EQ(f.button_keys, before);

  keyconfig_init(f.screen, f.button_keys);
  f.tick();
  for (int entry = 0; entry < kKeyConfigEntries; entry++) f.type(entry % 2 ? J : K);
  keyconfig_close(f.screen, f.button_keys);
  EXPECT_FALSE(f.screen.open);
  EXPECT_EQ(f.button_keys[0], K);
  EXPECT_EQ(f.button_keys[12], K);
  EXPECT_EQ(f.button_keys[1], J);
}

// --- drawing ---

const host::ConsoleData& console_data() {
  static const std::optional<host::ConsoleData> data =
      host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
  return *data;
}

struct Picture {
  std::vector<uint8_t> pixels = std::vector<uint8_t>(128 * 128, 0);
  machine::Canvas canvas() { return {pixels.data(), 128, 128}; }
  uint8_t at(int x, int y) const { return pixels[size_t(y) * 128 + size_t(x)]; }
};

// True when the picture's rows y..y+4 (where glyphs have ink) from x on
// hold exactly `text` in `colour` over `background`, as the interface font
// draws it.
::testing::AssertionResult text_at(const Picture& picture, const std::string& text, int x, int y,
                                   uint8_t colour, uint8_t background) {
  Picture expected;
  machine::canvas_fill_rect(expected.canvas(), 0, 0, 127, 127, background);
  const int end = machine::draw_interface_text(expected.canvas(), console_data().font, text, x, y, colour);
  for (int row = y; row < y + 5; row++)
    for (int column = x; column < std::min(end, 128); column++)
      if (picture.at(column, row) != expected.at(column, row))
        return ::testing::AssertionFailure() << "\"" << text << "\" differs at (" << column << "," << row << "): "
                                             << int(picture.at(column, row)) << " instead of "
                                             << int(expected.at(column, row));
  return ::testing::AssertionSuccess();
}

TEST(KeyConfigDraw, WaitingForAKey) {
  ASSERT_TRUE(console_data().font[65].width > 0) << "data.pod must be built";
  KeyConfigScreen screen;
  ButtonKeys button_keys{};
  button_keys[1] = J;
  keyconfig_init(screen, button_keys);
  screen.current = 2;
  Picture picture;
  keyconfig_draw(screen, button_keys, picture.canvas(), console_data().font);

  EXPECT_EQ(picture.at(127, 30), 1) << "background";
  EXPECT_EQ(picture.at(4, 41), 6) << "panel corner";
  EXPECT_EQ(picture.at(123, 124), 6) << "panel corner";
  EXPECT_EQ(picture.at(124, 124), 1);
  EXPECT_EQ(picture.at(3, 41), 1);
  EXPECT_EQ(picture.at(0, 0), 7) << "title strip";
  EXPECT_TRUE(text_at(picture, "player key config", 30, 1, 12, 7));
  EXPECT_TRUE(text_at(picture, "press key for:", 40, 10, 6, 1));
  EXPECT_TRUE(text_at(picture, "p1 up      ", 40, 17, 7, 1));
  EXPECT_TRUE(text_at(picture, "del for default", 40, 26, 13, 1));
  EXPECT_TRUE(text_at(picture, "esc to cancel", 40, 32, 13, 1));
  // The up arrow at three times its size inside the picture frame.
  EXPECT_EQ(picture.at(6, 8), 13);
  int arrow_pixels = 0;
  for (int y = 9; y < 33; y++)
    for (int x = 7; x < 35; x++) arrow_pixels += picture.at(x, y) == 7;
  EXPECT_GT(arrow_pixels, 9 * 4);
  EXPECT_EQ(arrow_pixels % 9, 0);

  // One line per entry from y 44 in steps of 6; the current one on a bar.
  EXPECT_TRUE(text_at(picture, "p1 left     : left", 8, 44, 5, 6));
  EXPECT_TRUE(text_at(picture, "p1 right    : j", 8, 50, 5, 6));
  EXPECT_TRUE(text_at(picture, "p1 up       : up", 8, 56, 1, 14));
  EXPECT_EQ(picture.at(5, 55), 14);
  EXPECT_EQ(picture.at(122, 60), 14);
  EXPECT_EQ(picture.at(122, 61), 6);
  EXPECT_TRUE(text_at(picture, "p2 " + std::string(1, char(142)) + "       : tab", 8, 104, 5, 6));
  EXPECT_TRUE(text_at(picture, "pause       : p / enter", 8, 116, 5, 6));
}

TEST(KeyConfigDraw, AllKeysDone) {
  KeyConfigScreen screen;
  ButtonKeys button_keys{};
  keyconfig_init(screen, button_keys);
  screen.current = kKeyConfigEntries;
  Picture picture;
  keyconfig_draw(screen, button_keys, picture.canvas(), console_data().font);
  EXPECT_TRUE(text_at(picture, "saved config.", 40, 10, 11, 1));
  EXPECT_TRUE(text_at(picture, "press escape", 40, 20, 12, 1));
  EXPECT_TRUE(text_at(picture, "to continue", 40, 26, 12, 1));
  EXPECT_FALSE(text_at(picture, "press key for:", 40, 10, 6, 1));
  for (int y = 43; y < 124; y++) EXPECT_NE(picture.at(6, y), 14) << "no entry is current";
}

}  // namespace
}  // namespace tamori::input
