// The framework's settings (window, video, system and audio device), the
// settings file "config.txt" they are kept in, and the framework's part of
// the command line. Lines the framework does not know go to the console's
// load callback; on saving, the console's save callback writes its section.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace tamori::host {

inline constexpr int kScancodeCount = 512;

struct RuvoConfig {
  int window_width = 0, window_height = 0;
  int screen_width = 0, screen_height = 0;
  int show_fps = 0;
  int windowed = 0;
  int window_x = -1, window_y = -1;
  int frameless = 0;
  int fullscreen_method = 1;
  int blit_method = 0;
  bool software_blit = false;
  int foreground_sleep_ms = 2;
  int background_sleep_ms = 10;
  int sessions = 0;
  int rmb_key = 0;
  std::string desktop_path;
  int read_controllers_in_background = 0;
  int sound_volume = 256;
  int music_volume = 256;
  int mix_buffer_size = 1024;
  // map_scancodes: pressing scancode a generates scancode_map[a] (0: itself).
  std::vector<int> scancode_map = std::vector<int>(kScancodeCount, 0);
  std::vector<int> scancode_reverse_map = std::vector<int>(kScancodeCount, 0);
  int use_wget = 0;
  int download_timeout = 30;

  // Command-line only.
  std::string home_path;
  int pixel_perfect = -1;
  int draw_rect_x = 0, draw_rect_y = 0, draw_rect_width = 4096, draw_rect_height = 4096;
  bool draw_rect_given = false;
  bool headless = false;
  bool framebuffer = false;
  int perf_timing = 0;
  int emulate_textinput = 0;
  int deferred_dealloc = 0;
  int ext_display = 0;
  int preblit_scale = 0;
  int display_index = 0;
  int log_system_info = 0;
};

// The console's hooks into the settings file.
struct ConfigCallbacks {
  void (*load_line)(const char* line) = nullptr;
  void (*save)(FILE* file) = nullptr;
};

struct ConfigFileState {
  bool loaded = false;
  std::string path;    // the file the settings were read from (or will be written to)
  std::string digest;  // SHA-1 of the file as read, 40 hex digits; empty when none was read
};

RuvoConfig& ruvo_config();
ConfigFileState& ruvo_config_file_state();
void ruvo_config_set_defaults(RuvoConfig& config);
void ruvo_config_register_callbacks(const ConfigCallbacks& callbacks);

// Applies one settings line (a framework key, or hands it to the console).
void ruvo_config_apply_line(RuvoConfig& config, const char* line);
// Clamps that follow reading the file.
void ruvo_config_clamp(RuvoConfig& config);

// Reads config.txt from the data folder, else beside the program. A second
// call does nothing.
void ruvo_config_load(const std::string& data_folder, const std::string& program_folder);
// Writes config.txt into the data folder at exit, unless the file changed on
// disk since it was read. Returns true when the file was written.
bool ruvo_config_save(const std::string& data_folder, const std::string& application_title);
void ruvo_config_reset_for_tests();

// Reads a decimal integer the way the settings do: leading spaces, an
// optional sign, digits; 0 when there is none; saturates instead of
// overflowing.
int parse_setting_int(const char* text, const char** end = nullptr);

// The framework's command-line options; arguments it does not know are left
// for the console's parser.
void ruvo_parse_command_line(RuvoConfig& config, int argc, const char* const* argv);

}  // namespace tamori::host
