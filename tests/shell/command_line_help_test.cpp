// What the command line tells about itself: the usage summary lists every
// option in its group, --help and --version are found only in their exact
// double-dash forms, and options nothing acts on are picked out for a hint.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/command_line_help.h"

namespace tamori::shell {
namespace {

std::vector<const char*> argv_of(const std::vector<const char*>& arguments) {
  std::vector<const char*> argv = {"tamori"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return argv;
}

struct GroupedOption {
  const char* name;
  bool framework;
};

// Every option of the console's command line, as the settings document them.
const GroupedOption kEveryOption[] = {
    {"-width", true}, {"-height", true}, {"-show_fps", true}, {"-windowed", true}, {"-window_x", true},
    {"-window_y", true}, {"-frameless", true}, {"-fullscreen_method", true}, {"-foreground_sleep_ms", true},
    {"-background_sleep_ms", true}, {"-sound", true}, {"-sound_volume", true}, {"-music", true},
    {"-music_volume", true}, {"-mix_buffer_size", true}, {"-software_blit", true}, {"-software_blitter", true},
    {"-home", true}, {"-desktop", true}, {"-pixel_perfect", true}, {"-draw_rect", true}, {"-timeout", true},
    {"-headless", true}, {"-framebuffer", true}, {"-perf_timing", true}, {"-emulate_textinput", true},
    {"-deferred_dealloc", true}, {"-ext_display", true}, {"-preblit_scale", true}, {"-display", true},
    {"-log_system_info", true}, {"-run", false}, {"-x", false}, {"-exec", false}, {"-export", false},
    {"-p", false}, {"-param", false}, {"-joystick", false}, {"-gif_len", false}, {"-gif_scale", false},
    {"-screenshot_scale", false}, {"-gui_theme", false}, {"-gif_reset_mode", false}, {"-splore_filter", false},
    {"-gpio_base", false}, {"-glitch_test", false}, {"-root_path", false}, {"-cdata_path", false},
    {"-accept_future", false}, {"-volume", false}, {"-tv_frame", false}, {"-displays_x", false},
    {"-displays_y", false}, {"-i", false}, {"-o", false}, {"-url_code", false}, {"-url_gfx", false},
    {"-cid", false}, {"-global_api", false}, {"-kiosk", false},
};

// Whether `name` stands in `text` as a whole option name.
bool lists_option(const std::string& text, const std::string& name) {
  for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    const bool starts = at > 0 && (text[at - 1] == ' ' || text[at - 1] == ',');
    const char after = at + name.size() < text.size() ? text[at + name.size()] : '\n';
    if (starts && (after == ' ' || after == ',' || after == '\n')) return true;
  }
  return false;
}

TEST(CommandLineHelp, ListsEveryOptionInItsGroupAndBothInformationOptions) {
  const std::string text = usage_text();
  const size_t framework = text.find("framework options");
  const size_t console = text.find("console options");
  ASSERT_NE(framework, std::string::npos);
  ASSERT_NE(console, std::string::npos);
  ASSERT_LT(framework, console);
  const std::string framework_part = text.substr(framework, console - framework);
  const std::string console_part = text.substr(console);
  for (const GroupedOption& option : kEveryOption) {
    EXPECT_EQ(lists_option(framework_part, option.name), option.framework) << option.name;
    EXPECT_EQ(lists_option(console_part, option.name), !option.framework) << option.name;
    EXPECT_TRUE(is_known_option(option.name)) << option.name;
  }
  EXPECT_TRUE(lists_option(text, "--help"));
  EXPECT_TRUE(lists_option(text, "--version"));
  EXPECT_EQ(version_line(), "tamori 0.2.7");
}

TEST(CommandLineHelp, InformationOptionsAreExactDoubleDashForms) {
  struct Case {
    std::vector<const char*> arguments;
    InformationRequest expected;
  };
  const Case cases[] = {
      {{"--help"}, InformationRequest::kHelp},
      {{"--version"}, InformationRequest::kVersion},
      {{"-x", "game.tm", "--version", "--help"}, InformationRequest::kVersion},
      {{"-width", "300", "--help"}, InformationRequest::kHelp},
      {{"-export", "--help"}, InformationRequest::kNone},  // the export's file name
      {{"|", "--help"}, InformationRequest::kNone},
      {{"-help"}, InformationRequest::kNone},
      {{"-h"}, InformationRequest::kNone},
      {{"--helpful"}, InformationRequest::kNone},
      {{"-version"}, InformationRequest::kNone},
      {{"game.tm"}, InformationRequest::kNone},
  };
  for (const Case& c : cases) {
    const std::vector<const char*> argv = argv_of(c.arguments);
    EXPECT_EQ(information_request(int(argv.size()), argv.data()), c.expected) << c.arguments[0];
  }
}

TEST(CommandLineHelp, PicksOutTheOptionsNothingActsOn) {
  const std::vector<const char*> argv =
      argv_of({"-bogus", "1", "-widthwise", "2", "-xfoo", "-exec", "game.tm", "--what", "-volume", "-5", "-export",
               "-sound.wav", "-gif", "3", "-i", "in.txt", ">", "-after"});
  const std::vector<std::string> expected = {"-bogus", "--what", "-5", "-gif"};
  EXPECT_EQ(unknown_options(int(argv.size()), argv.data()), expected);
  const std::vector<const char*> viewer = argv_of({"-scancodes"});
  EXPECT_TRUE(unknown_options(int(viewer.size()), viewer.data()).empty());
  EXPECT_EQ(unknown_option_hint("-bogus"), "tamori: unknown option -bogus (tamori --help lists the options)\n");
}

}  // namespace
}  // namespace tamori::shell
