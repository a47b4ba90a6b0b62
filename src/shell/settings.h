// The console's own settings: its keys in config.txt (read through the
// framework's load callback, written by its save callback) and the console's
// part of the command line.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace tamori::shell {

inline constexpr const char* kConsoleVersion = "0.2.7";
inline constexpr int kButtonKeyCount = 25;

struct ConsoleSettings {
  int volume = 256;
  std::string root_path;
  std::string cdata_path;
  int joystick_index = 0;
  int merge_joysticks = 0;
  std::array<int, kButtonKeyCount> button_keys{};
  int live_notes = 0;
  int cursor_snap = 0;
  int gui_theme = 0;
  int screenshot_scale = 3;
  int gif_scale = 3;
  int gif_len = 16;
  int gif_reset_mode = 0;
  int host_framerate_control = 1;
  int splore_filter = 0;
  int boot_to_splore = 0;
  int tab_width = 1;
  int draw_tabs = 0;
  int record_activity_log = 1;
  int allow_function_keys = 1;
  int check_for_cart_updates = 1;
  int shift_glyphs = 1;
  int show_backup_messages = 1;
  int enable_gpio = 0;
  int flip_ampersand = 0;
  int auto_hide_mouse_cursor = 5;
  int aggressive_backups = 0;
  int periodic_backups = 20;
  int transform_screen = 0;
  int gfx_grid_lines = 0;
  int capture_timestamps = 0;
  int max_prefetch_threads = 4;
};

// What the console's command line asks for.
struct ConsoleOptions {
  std::string cart_to_load;
  std::vector<std::string> extra_carts;
  bool run = false;           // -run
  bool execute = false;       // -x / -exec: headless, quit when the program stops
  bool export_mode = false;   // -export
  std::string export_name;
  std::string parameter;      // -p
  int gpio_base = -1;
  int glitch_test = 0;
  int accept_future = 0;
  int tv_frame = 0;
  int displays_x = 1, displays_y = 1;
  std::string input_file, output_file;
  std::string url_code, url_gfx;
  std::string cid;
  bool global_api = false;
  bool kiosk = false;
  bool start_in_browser = false;
};

ConsoleSettings& console_settings();
void console_settings_reset();

// The framework hands every settings line it does not know to this.
void console_settings_load_line(ConsoleSettings& settings, const char* line);
// Writes the console's section of config.txt.
void console_settings_save(const ConsoleSettings& settings, FILE* file);
// Clamps applied once the file has been read.
void console_settings_clamp(ConsoleSettings& settings);

// Registers the load and save callbacks with the framework.
void console_settings_register();

void console_parse_command_line(ConsoleSettings& settings, ConsoleOptions& options, int argc,
                                const char* const* argv);

}  // namespace tamori::shell
