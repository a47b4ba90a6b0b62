#include "host/config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "host/files.h"
#include "host/paths.h"
#include "shell/settings.h"

namespace tamori {
namespace {

namespace fs = std::filesystem;

// Each test gets a fresh data folder and fresh settings records.
class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ruvo_config_reset_for_tests();
    shell::console_settings_reset();
    shell::console_settings_register();
    folder = fs::temp_directory_path() / ("tamori_config_" + std::to_string(::getpid()) + "_" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    data_folder = folder.string() + "/";
  }
  void TearDown() override { fs::remove_all(folder); }

  void write_config(const std::string& text) { ASSERT_TRUE(host::write_file(data_folder + "config.txt", text)); }
  void load() { host::ruvo_config_load(data_folder, data_folder + "nowhere/"); }

  fs::path folder;
  std::string data_folder;
};

TEST_F(SettingsFile, MissingFileKeepsDefaults) {
  load();
  const host::RuvoConfig& config = host::ruvo_config();
  EXPECT_EQ(config.sound_volume, 256);
  EXPECT_EQ(config.foreground_sleep_ms, 2);
  EXPECT_EQ(config.background_sleep_ms, 10);
  EXPECT_EQ(config.mix_buffer_size, 1024);
  EXPECT_EQ(config.fullscreen_method, 1);
  EXPECT_EQ(shell::console_settings().gif_len, 16);
}

TEST_F(SettingsFile, ValuesAreClampedAfterReading) {
  write_config(
      "sound_volume 900\nmusic_volume -4\nforeground_sleep_ms 5000\nbackground_sleep_ms -1\n"
      "mix_buffer_size 100\ngif_len 500\n");
  load();
  shell::console_settings_clamp(shell::console_settings());
  const host::RuvoConfig& config = host::ruvo_config();
  EXPECT_EQ(config.sound_volume, 256);
  EXPECT_EQ(config.music_volume, 0);
  EXPECT_EQ(config.foreground_sleep_ms, 200);
  EXPECT_EQ(config.background_sleep_ms, 0);
  EXPECT_EQ(config.mix_buffer_size, 1024);
  EXPECT_EQ(shell::console_settings().gif_len, 120);
}

TEST_F(SettingsFile, BufferSizeZeroMeansNoSoundAndIsKept) {
  struct Case {
    const char* line;
    int buffer_size;
  };
  const Case cases[] = {{"mix_buffer_size 0\n", 0},       {"mix_buffer_size -1\n", 1024},
                        {"mix_buffer_size 511\n", 1024},  {"mix_buffer_size 512\n", 512},
                        {"mix_buffer_size 8192\n", 8192}, {"mix_buffer_size 8193\n", 1024}};
  for (const Case& c : cases) {
    host::ruvo_config_reset_for_tests();
    write_config(c.line);
    load();
    EXPECT_EQ(host::ruvo_config().mix_buffer_size, c.buffer_size) << c.line;
  }
  // Saved as it was read, so the console stays silent on the next start.
  host::ruvo_config_reset_for_tests();
  write_config("mix_buffer_size 0\n");
  load();
  EXPECT_TRUE(host::ruvo_config_save(data_folder, "tamori"));
  auto bytes = host::read_file(data_folder + "config.txt");
  EXPECT_NE(std::string(bytes->begin(), bytes->end()).find("\nmix_buffer_size 0\n"), std::string::npos);
}

TEST_F(SettingsFile, KeysAreMatchedByTheirBeginning) {
  write_config("gif_len16\nwindow_size 300 200\nscreen_size 1 2 // comment\nroot_path  my carts\\x\n");
  load();
  EXPECT_EQ(shell::console_settings().gif_len, 16);
  EXPECT_EQ(host::ruvo_config().window_width, 300);
  EXPECT_EQ(host::ruvo_config().window_height, 200);
  EXPECT_EQ(host::ruvo_config().screen_height, 2);
  EXPECT_EQ(shell::console_settings().root_path, "my carts/x/");
}

TEST_F(SettingsFile, ContentFilterSetsTheBrowserFilter) {
  write_config("content_filter 2\n");
  load();
  EXPECT_EQ(shell::console_settings().splore_filter, 1);
  host::ruvo_config_reset_for_tests();
  shell::console_settings_register();
  write_config("splore_filter 1\ncontent_filter 1\n");
  load();
  EXPECT_EQ(shell::console_settings().splore_filter, 0);
}

TEST_F(SettingsFile, ScancodeMapReadsPairsWhileDigitsFollow) {
  write_config("map_scancodes 4=20,20=4,600=5,7=x,9=10\n");
  load();
  const host::RuvoConfig& config = host::ruvo_config();
  EXPECT_EQ(config.scancode_map[4], 20);
  EXPECT_EQ(config.scancode_map[20], 4);
  EXPECT_EQ(config.scancode_reverse_map[20], 4);
  EXPECT_EQ(config.scancode_map[9], 0);  // parsing stopped at "7=x"
}

TEST_F(SettingsFile, SavedFileReadsBackTheSameSettings) {
  host::RuvoConfig& config = host::ruvo_config();
  config.window_width = 512;
  config.window_height = 480;
  config.sound_volume = 100;
  config.scancode_map[4] = 22;
  shell::console_settings().gif_len = 7;
  shell::console_settings().button_keys[3] = 44;
  shell::console_settings().flip_ampersand = 1;
  ASSERT_TRUE(host::ruvo_config_save(data_folder, "tamori"));

  auto bytes = host::read_file(data_folder + "config.txt");
  ASSERT_TRUE(bytes);
  std::string text(bytes->begin(), bytes->end());
  EXPECT_EQ(text.rfind("// - - - -", 0), 0u);
  EXPECT_NE(text.find("// Configuration for tamori\n"), std::string::npos);
  EXPECT_NE(text.find("version 0.2.7\n"), std::string::npos);
  EXPECT_NE(text.find("flip_ampersand 1\n"), std::string::npos);
  EXPECT_EQ(text.find("shift_glyphs"), std::string::npos);  // read only

  host::ruvo_config_reset_for_tests();
  shell::console_settings_reset();
  shell::console_settings_register();
  load();
  EXPECT_EQ(host::ruvo_config().window_width, 512);
  EXPECT_EQ(host::ruvo_config().sound_volume, 100);
  EXPECT_EQ(host::ruvo_config().scancode_map[4], 22);
  EXPECT_EQ(shell::console_settings().gif_len, 7);
  EXPECT_EQ(shell::console_settings().button_keys[3], 44);
}

TEST_F(SettingsFile, FileEditedWhileRunningKeepsTheEdits) {
  write_config("sound_volume 200\n");
  load();
  write_config("sound_volume 17\n// edited by hand\n");
  EXPECT_FALSE(host::ruvo_config_save(data_folder, "tamori"));
  auto bytes = host::read_file(data_folder + "config.txt");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "sound_volume 17\n// edited by hand\n");
}

TEST_F(SettingsFile, UneditedFileIsRewrittenAtExit) {
  write_config("sound_volume 200\n");
  load();
  host::ruvo_config().sound_volume = 64;
  EXPECT_TRUE(host::ruvo_config_save(data_folder, "tamori"));
  auto bytes = host::read_file(data_folder + "config.txt");
  EXPECT_NE(std::string(bytes->begin(), bytes->end()).find("sound_volume 64 // 0..256"), std::string::npos);
}

TEST_F(SettingsFile, GarbageFilesStartWithSaneValues) {
  std::mt19937 random(1234);
  for (int round = 0; round < 40; round++) {
    host::ruvo_config_reset_for_tests();
    shell::console_settings_reset();
    shell::console_settings_register();
    std::string garbage;
    int size = int(random() % 20000);
    for (int i = 0; i < size; i++) garbage += char(random() % 256);
    // Some rounds: real keys with absurd values, and very long lines.
    if (round % 3 == 0) garbage += "\nsound_volume 99999999999999\nwindow_size -7 999999999\ngif_scale 100000\n";
    if (round % 4 == 0) garbage += "\nmix_buffer_size " + std::string(100000, '9') + "\n";
    write_config(garbage);
    load();
    shell::console_settings_clamp(shell::console_settings());
    const host::RuvoConfig& config = host::ruvo_config();
    EXPECT_GE(config.sound_volume, 0);
    EXPECT_LE(config.sound_volume, 256);
    EXPECT_TRUE(config.mix_buffer_size == 0 || config.mix_buffer_size >= 512) << config.mix_buffer_size;
    EXPECT_LE(config.mix_buffer_size, 8192);
    EXPECT_LE(config.window_width, 16384);
    EXPECT_GE(config.window_width, 0);
    EXPECT_LE(config.window_height, 16384);
    EXPECT_LE(config.foreground_sleep_ms, 200);
    EXPECT_LE(shell::console_settings().gif_scale, 16);
    EXPECT_GE(shell::console_settings().gif_scale, 1);
    EXPECT_LE(shell::console_settings().gif_len, 120);
  }
}

TEST(SettingsNumbers, ParseLikeTheSettingsDo) {
  EXPECT_EQ(host::parse_setting_int(" 42 // x"), 42);
  EXPECT_EQ(host::parse_setting_int("-3"), -3);
  EXPECT_EQ(host::parse_setting_int("abc"), 0);
  EXPECT_EQ(host::parse_setting_int(""), 0);
  EXPECT_EQ(host::parse_setting_int("99999999999999999999"), 2147483647);
  EXPECT_EQ(host::parse_setting_int("-99999999999999999999"), -2147483647 - 1);
}

struct PathCase {
  const char* input;
  const char* expected;
};

TEST(PathNormalisation, FollowsTheSettingsRule) {
  const PathCase cases[] = {
      {"", ""},
      {"   ", ""},
      {"carts", "carts/"},
      {"  /home/a b/carts  ", "/home/a b/carts/"},
      {"c:\\games\\\\carts", "c:/games/carts/"},
      {"a//b///c/", "a/b/c/"},
      {"a\tb\x01/c", "ab/c/"},
  };
  for (const PathCase& c : cases) EXPECT_EQ(host::normalise_path(c.input), c.expected) << "input: " << c.input;
}

TEST(DataFolder, HomeOptionWinsThenXdgThenHome) {
  EXPECT_EQ(host::default_data_folder("/tmp/x"), "/tmp/x/");
  setenv("XDG_DATA_HOME", "/xdg/data", 1);
  EXPECT_EQ(host::default_data_folder(""), "/xdg/data/tamori/");
  unsetenv("XDG_DATA_HOME");
  setenv("HOME", "/home/player", 1);
  EXPECT_EQ(host::default_data_folder(""), "/home/player/.local/share/tamori/");
}

}  // namespace
}  // namespace tamori
