#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/config.h"
#include "shell/settings.h"

namespace tamori {
namespace {

struct Parsed {
  host::RuvoConfig config;
  shell::ConsoleSettings settings;
  shell::ConsoleOptions options;
};

Parsed parse(std::vector<std::string> arguments) {
  host::ruvo_config_reset_for_tests();
  shell::console_settings_reset();
  arguments.insert(arguments.begin(), "tamori");
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  Parsed parsed;
  host::ruvo_parse_command_line(host::ruvo_config(), int(argv.size()), argv.data());
  shell::console_parse_command_line(shell::console_settings(), parsed.options, int(argv.size()), argv.data());
  parsed.config = host::ruvo_config();
  parsed.settings = shell::console_settings();
  return parsed;
}

TEST(CommandLine, VolumeIsClampedAndMinusValuesAreOptions) {
  EXPECT_EQ(parse({"-volume", "300"}).settings.volume, 256);
  EXPECT_EQ(parse({"-volume", "-5"}).settings.volume, 256);  // "-5" is taken for an option
  EXPECT_EQ(parse({"-volume", "12"}).config.sound_volume, 12);
}

TEST(CommandLine, FrameworkOptionsAreClamped) {
  EXPECT_EQ(parse({"-preblit_scale", "20"}).config.preblit_scale, 8);
  EXPECT_EQ(parse({"-timeout", "0"}).config.download_timeout, 1);
  EXPECT_EQ(parse({"-timeout", "999"}).config.download_timeout, 240);
  EXPECT_EQ(parse({"-mix_buffer_size", "100"}).config.mix_buffer_size, 1024);
  EXPECT_EQ(parse({"-mix_buffer_size", "0"}).config.mix_buffer_size, 0);  // no sound
}

TEST(CommandLine, OptionsMatchByTheirBeginning) {
  Parsed parsed = parse({"-width", "300", "-height", "310", "-windowed", "1", "-sound", "10", "-music_volume", "20"});
  EXPECT_EQ(parsed.config.window_width, 300);
  EXPECT_EQ(parsed.config.window_height, 310);
  EXPECT_EQ(parsed.config.windowed, 1);
  EXPECT_EQ(parsed.config.sound_volume, 10);
  EXPECT_EQ(parsed.config.music_volume, 20);
}

TEST(CommandLine, DrawRectHomeAndDesktop) {
  Parsed parsed = parse({"-draw_rect", "1,2,300,400", "-home", "/tmp/h", "-desktop", "/tmp/d"});
  EXPECT_TRUE(parsed.config.draw_rect_given);
  EXPECT_EQ(parsed.config.draw_rect_x, 1);
  EXPECT_EQ(parsed.config.draw_rect_height, 400);
  EXPECT_EQ(parsed.config.home_path, "/tmp/h");
  EXPECT_EQ(parsed.config.desktop_path, "/tmp/d");
}

TEST(CommandLine, ExecuteModeIsHeadless) {
  Parsed parsed = parse({"-x", "game.tm"});
  EXPECT_TRUE(parsed.config.headless);
  EXPECT_TRUE(parsed.options.execute);
  EXPECT_EQ(parsed.options.cart_to_load, "game.tm");
  EXPECT_TRUE(parse({"-headless"}).config.headless);
  EXPECT_FALSE(parse({"game.tm"}).config.headless);
}

TEST(CommandLine, SecondBareFileJoinsTheExportList) {
  Parsed parsed = parse({"first.tm", "second.tm", "third.tm"});
  EXPECT_EQ(parsed.options.cart_to_load, "first.tm");
  ASSERT_EQ(parsed.options.extra_carts.size(), 2u);
  EXPECT_EQ(parsed.options.extra_carts[0], "second.tm");
}

TEST(CommandLine, ExportTakesTextStartingWithMinus) {
  Parsed parsed = parse({"game.tm", "-export", "-out.wav"});
  EXPECT_TRUE(parsed.options.export_mode);
  EXPECT_EQ(parsed.options.export_name, "-out.wav");
  EXPECT_TRUE(parsed.config.headless);
}

TEST(CommandLine, UnknownOptionSkipsItsValue) {
  Parsed parsed = parse({"-frobnicate", "value", "game.tm"});
  EXPECT_EQ(parsed.options.cart_to_load, "game.tm");
}

TEST(CommandLine, ShellRedirectionEndsParsing) {
  Parsed parsed = parse({"game.tm", ">", "-volume", "3"});
  EXPECT_EQ(parsed.settings.volume, 256);
}

TEST(CommandLine, DisplaysAndTvFrame) {
  Parsed parsed = parse({"-displays_x", "20", "-displays_y", "0", "-tv_frame", "1"});
  EXPECT_EQ(parsed.options.displays_x, 8);
  EXPECT_EQ(parsed.options.displays_y, 1);
  EXPECT_EQ(parsed.options.tv_frame, 1);
}

TEST(CommandLine, RunClearsStartInBrowser) {
  shell::console_settings_reset();
  Parsed parsed = parse({"-run", "game.tm"});
  EXPECT_TRUE(parsed.options.run);
  EXPECT_FALSE(parsed.options.start_in_browser);
  EXPECT_TRUE(parse({"-kiosk"}).options.kiosk);
}

TEST(CommandLine, PathOptionsAreNormalised) {
  EXPECT_EQ(parse({"-root_path", " a\\b "}).settings.root_path, "a/b/");
  EXPECT_EQ(parse({"-cdata_path", "c"}).settings.cdata_path, "c/");
}

}  // namespace
}  // namespace tamori
