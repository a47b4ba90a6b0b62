#include "shell/command_line_help.h"

#include <array>
#include <cstring>

#include "shell/settings.h"

namespace tamori::shell {
namespace {

enum class OptionGroup { kFramework, kConsole };

// One line of the summary: up to three names that share a value and a
// meaning. Framework names match any argument that begins with them, the
// console's only themselves.
struct OptionHelp {
  OptionGroup group;
  std::array<const char*, 3> names;
  const char* value;  // "" for a switch
  const char* summary;
};

constexpr OptionGroup kFramework = OptionGroup::kFramework;
constexpr OptionGroup kConsole = OptionGroup::kConsole;

const OptionHelp kOptions[] = {
    {kFramework, {"-width", "-height"}, "N", "window size in pixels"},
    {kFramework, {"-windowed"}, "N", "1: start in a window, 0: full screen"},
    {kFramework, {"-window_x", "-window_y"}, "N", "window position (-1: the window manager's choice)"},
    {kFramework, {"-frameless"}, "N", "1: a window without a frame"},
    {kFramework, {"-fullscreen_method"}, "N", "0 maximised, 1 borderless desktop size, 2 hardware"},
    {kFramework, {"-show_fps"}, "N", "1: frames per second in the corner"},
    {kFramework, {"-foreground_sleep_ms"}, "N", "sleep per frame with the focus, 0..200"},
    {kFramework, {"-background_sleep_ms"}, "N", "sleep per frame in the background, 0..200"},
    {kFramework, {"-sound", "-sound_volume"}, "N", "sound-effect volume, 0..256"},
    {kFramework, {"-music", "-music_volume"}, "N", "music volume, 0..256"},
    {kFramework, {"-mix_buffer_size"}, "N", "audio buffer in samples, 512..8192; 0: no sound"},
    {kFramework, {"-software_blit", "-software_blitter"}, "N", "1: draw through the software blitter"},
    {kFramework, {"-home"}, "DIR", "data folder (settings, saves, carts/)"},
    {kFramework, {"-desktop"}, "DIR", "folder for screenshots and captures"},
    {kFramework, {"-draw_rect"}, "X,Y,W,H", "area of the window the screen is drawn into"},
    {kFramework, {"-pixel_perfect"}, "N", "1: whole multiples only, 0: any, -1: automatic"},
    {kFramework, {"-preblit_scale"}, "N", "scale before the blit, 0..8"},
    {kFramework, {"-display"}, "N", "index of the display to open on"},
    {kFramework, {"-timeout"}, "N", "download timeout in seconds, 1..240"},
    {kFramework, {"-headless"}, "", "no window (so does any option that begins with -x)"},
    {kFramework, {"-framebuffer"}, "", "draw to the frame buffer device"},
    {kFramework, {"-perf_timing", "-emulate_textinput"}, "N", "host-layer switches"},
    {kFramework, {"-deferred_dealloc", "-ext_display", "-log_system_info"}, "N", "host-layer switches"},
    {kConsole, {"-run"}, "FILE", "load FILE and run it at once"},
    {kConsole, {"-x", "-exec"}, "FILE", "run FILE without a window; exit when it stops"},
    {kConsole, {"-export"}, "NAME", "export the cartridge's sound to NAME and exit"},
    {kConsole, {"-p", "-param"}, "TEXT", "parameter string handed to the cartridge"},
    {kConsole, {"-root_path"}, "DIR", "folder the console's file system is rooted at"},
    {kConsole, {"-cdata_path"}, "DIR", "folder for cartridge save data"},
    {kConsole, {"-volume"}, "N", "master volume, 0..256"},
    {kConsole, {"-joystick"}, "N", "player at which controller input begins, 0..7"},
    {kConsole, {"-gif_len"}, "N", "longest GIF in seconds, 0..120 (0: no recording)"},
    {kConsole, {"-gif_scale", "-screenshot_scale"}, "N", "scale of GIFs and screenshots"},
    {kConsole, {"-gif_reset_mode"}, "N", "1: restart the recording after each saved GIF"},
    {kConsole, {"-gui_theme"}, "N", "0 default, 1 dark blue, 2 black, 3 gray"},
    {kConsole, {"-splore_filter"}, "N", "1: leave out cartridges tagged as mature"},
    {kConsole, {"-tv_frame"}, "N", "1: a frame around the picture"},
    {kConsole, {"-displays_x", "-displays_y"}, "N", "screens of 128 pixels across and down, 1..8"},
    {kConsole, {"-accept_future"}, "N", "1: load cartridges of newer versions"},
    {kConsole, {"-gpio_base"}, "N", "base of the GPIO area"},
    {kConsole, {"-glitch_test"}, "N", "test mode: screenshots, ends after the 48th"},
    {kConsole, {"-i"}, "FILE", "replay the buttons recorded in FILE"},
    {kConsole, {"-o"}, "FILE", "record the buttons into FILE"},
    {kConsole, {"-url_code", "-url_gfx"}, "TEXT", "cartridge code and graphics of a shared link"},
    {kConsole, {"-cid"}, "TEXT", "identifier text"},
    {kConsole, {"-global_api"}, "", "leave the API functions unbound to locals"},
    {kConsole, {"-kiosk"}, "", "kiosk mode"},
};

constexpr size_t kSummaryColumn = 30;

bool begins_with(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool ends_parsing(const char* argument) { return argument[0] == '&' || argument[0] == '>' || argument[0] == '|'; }

void append_line(std::string& text, const std::string& left, const char* summary) {
  // Names too long for the column get the summary on a line of its own.
  std::string line = "  " + left;
  if (line.size() >= kSummaryColumn) {
    text += line + "\n";
    line.clear();
  }
  line += std::string(kSummaryColumn - line.size(), ' ');
  text += line + summary + "\n";
}

void append_group(std::string& text, OptionGroup group) {
  for (const OptionHelp& option : kOptions) {
    if (option.group != group) continue;
    std::string left;
    for (const char* name : option.names) {
      if (!name) break;
      if (!left.empty()) left += ", ";
      left += name;
      if (*option.value) left += std::string(" ") + option.value;
    }
    append_line(text, left, option.summary);
  }
}

}  // namespace

std::string version_line() { return std::string("tamori ") + kConsoleVersion; }

std::string usage_text() {
  std::string text =
      "usage: tamori [OPTION [VALUE]]... [CART]\n"
      "Plays a fantasy console cartridge. CART is a .tm, .tm.png or .tm.rom file;\n"
      "without one the console plays the cartridge its data file carries.\n"
      "An option takes the argument after it as its value; one that begins with \"-\"\n"
      "is read as the next option instead (except after -export).\n"
      "\nframework options (window, video, devices; a name may be longer):\n";
  append_group(text, kFramework);
  text += "\nconsole options:\n";
  append_group(text, kConsole);
  text += "\n";
  append_line(text, "--help", "show this summary and exit");
  append_line(text, "--version", "show the version line and exit");
  append_line(text, "-scancodes", "as the only option: show each key's scancode, for map_scancodes");
  return text;
}

InformationRequest information_request(int argc, const char* const* argv) {
  for (int i = 1; i < argc; i++) {
    const char* argument = argv[i];
    if (ends_parsing(argument)) break;
    if (std::strcmp(argument, "-export") == 0) {
      i++;
      continue;
    }
    if (std::strcmp(argument, "--help") == 0) return InformationRequest::kHelp;
    if (std::strcmp(argument, "--version") == 0) return InformationRequest::kVersion;
  }
  return InformationRequest::kNone;
}

bool is_known_option(const std::string& argument) {
  if (argument.size() >= 2 && argument[1] == 'x') return true;  // the framework's headless switch
  for (const OptionHelp& option : kOptions) {
    for (const char* name : option.names) {
      if (!name) break;
      const bool known = option.group == kFramework ? begins_with(argument, name) : argument == name;
      if (known) return true;
    }
  }
  return false;
}

std::vector<std::string> unknown_options(int argc, const char* const* argv) {
  std::vector<std::string> unknown;
  // The scan-code viewer takes over the whole program.
  if (argc > 1 && std::strcmp(argv[1], "-scancodes") == 0) return unknown;
  for (int i = 1; i < argc; i++) {
    const char* argument = argv[i];
    if (ends_parsing(argument)) break;
    if (argument[0] != '-') continue;
    if (std::strcmp(argument, "-export") == 0) {
      i++;
      continue;
    }
    if (!is_known_option(argument)) unknown.push_back(argument);
  }
  return unknown;
}

std::string unknown_option_hint(const std::string& option) {
  return "tamori: unknown option " + option + " (tamori --help lists the options)\n";
}

}  // namespace tamori::shell
