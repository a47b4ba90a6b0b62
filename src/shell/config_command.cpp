#include "shell/config_command.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "host/config.h"
#include "shell/cartridge_runner.h"
#include "shell/settings.h"

namespace tamori::shell {
namespace {

constexpr int kHeading = 14, kNote = 12, kDetail = 6;
constexpr int kMaxCaptureScale = 8;

struct Reply {
  Console& console;
  std::vector<runner::ConsoleLine> lines;
  void line(const std::string& text, int colour = kHeading) { lines.push_back({text, uint8_t(colour)}); }
  void number(const char* format, int value, int colour = kHeading) {
    char text[96];
    std::snprintf(text, sizeof text, format, value);
    line(text, colour);
  }
};

// A value that is not a number counts as 0, like the console's other
// number readings; a huge one is held to the int range before clamping.
int number_of(const std::string& value) {
  const long number = std::strtol(value.c_str(), nullptr, 10);
  return int(std::clamp<long>(number, INT32_MIN, INT32_MAX));
}

void list_settings(Reply& reply) {
  reply.line("config [setting]");
  reply.line("available settings:", kNote);
  for (const char* name : {"volume", "theme", "gif_len", "gif_reset_mode", "gif_scale", "screenshot_scale",
                           "splore_filter", "tab_width", "draw_tabs"})
    reply.line(name, kDetail);
}

// Theme names onto gui_theme: classic is the default background, blue the
// dark blue one; auto leaves the choice to the console's default.
void set_theme(Reply& reply, const std::string& value) {
  int& theme = console_settings().gui_theme;
  if (value == "blue") theme = 1;
  else if (value == "classic" || value == "auto") theme = 0;
  else {
    reply.line("config theme [value]");
    reply.line("available themes:");
    return;
  }
  reply.line("set theme to " + value);
}

void set_on_off(Reply& reply, const std::string& value, int& setting, const char* on_text, const char* off_text,
                bool numbers_allowed, const std::vector<std::string>& help, const char* current_format) {
  const bool on = value == "on" || (numbers_allowed && value == "1");
  const bool off = value == "off" || (numbers_allowed && value == "0");
  if (on || off) {
    setting = on ? 1 : 0;
    reply.line(on ? on_text : off_text);
    return;
  }
  for (const std::string& text : help) reply.line(text);
  reply.line(std::string(current_format) + (setting ? "on" : "off"));
}

void set_volume(Reply& reply, const std::string& value) {
  host::RuvoConfig& config = host::ruvo_config();
  if (value.empty()) {
    reply.line("config volume [val]");
    reply.line("val: 8 quiet .. 256 loud", kNote);
    reply.number("current volume: %d", config.sound_volume);
    return;
  }
  const int volume = std::clamp(number_of(value), 8, 256);
  reply.console.app.last_volume = volume;
  if (config.sound_volume != 0) {
    config.sound_volume = volume;
    console_settings().volume = volume;
  }
  reply.number("set volume: %d", volume);
}

// A setting that takes a number: `clamp` turns the value into what is
// stored and told.
template <typename Clamp>
void set_number(Reply& reply, const std::string& name, const std::string& value, int& setting, Clamp clamp,
                const std::vector<std::pair<std::string, int>>& help) {
  if (value.empty()) {
    reply.line("config " + name + " " + (help.empty() ? "[value]" : help.front().first));
    for (size_t i = 1; i < help.size(); i++) reply.line(help[i].first, help[i].second);
    reply.number(("current " + name + ": %d").c_str(), setting);
    return;
  }
  setting = clamp(number_of(value));
  reply.number(("set " + name + ": %d").c_str(), setting);
}

}  // namespace

std::vector<runner::ConsoleLine> config_command(Console& console, const std::string& argument) {
  Reply reply{console, {}};
  std::istringstream words(argument);
  std::string setting, value;
  words >> setting >> value;
  ConsoleSettings& settings = console_settings();
  auto capture_scale = [](int n) { return std::clamp(n, 1, kMaxCaptureScale); };

  if (setting == "theme") {
    set_theme(reply, value);
  } else if (setting == "draw_tabs" || setting == "show_tabs") {
    set_on_off(reply, value, settings.draw_tabs, "tab characters on", "tab characters off", false,
               {"config draw_tabs [on | off]", "when on, tab characters are ", "drawn in the code editor."},
               "current setting: ");
  } else if (setting == "splore_filter") {
    set_on_off(reply, value, settings.splore_filter, "filter on", "filter off", true,
               {"config filter [on | off]", "when on, cartridges tagged as", "mature will not be downloaded."},
               "filter is currently: ");
  } else if (setting == "volume") {
    set_volume(reply, value);
  } else if (setting == "gif_len") {
    set_number(reply, setting, value, settings.gif_len, [](int n) { return std::clamp(n, 1, 120); },
               {{"[seconds]", kHeading}});
  } else if (setting == "gif_reset_mode") {
    set_number(reply, setting, value, settings.gif_reset_mode, [](int n) { return n > 0 ? 1 : 0; },
               {{"[mode]", kHeading},
                {" 0: don't reset after recording", kNote},
                {" 1: reset after each recording", kNote}});
  } else if (setting == "sfx_filters" && !value.empty()) {
    reply.number("set sfx_filters: %d", number_of(value) > 0 ? 1 : 0);
  } else if (setting == "gif_scale") {
    set_number(reply, setting, value, settings.gif_scale, capture_scale, {{"[size]", kHeading}});
  } else if (setting == "screenshot_scale") {
    set_number(reply, setting, value, settings.screenshot_scale, capture_scale, {{"[size]", kHeading}});
  } else if (setting == "tab_width") {
    set_number(reply, setting, value, settings.tab_width, [](int n) { return std::clamp(n, 1, 4); },
               {{"[width]", kHeading}});
  } else {
    list_settings(reply);
  }
  return reply.lines;
}

void run_config_command(Console& console, const std::string& argument) {
  for (const runner::ConsoleLine& line : config_command(console, argument))
    print_console_line(console, line.text, line.colour);
}

}  // namespace tamori::shell
