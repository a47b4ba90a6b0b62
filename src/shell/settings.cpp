#include "shell/settings.h"

#include <cstring>

#include "host/config.h"
#include "host/paths.h"

namespace tamori::shell {
namespace {

ConsoleSettings settings_record;

int clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

bool starts_with(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

struct IntKey {
  const char* key;
  int ConsoleSettings::*field;
  const char* comment;  // written above the key; nullptr: the key is read only
};

// In the order they are compared with a settings line and written back.
const IntKey kIntKeys[] = {
    {"joystick_index", &ConsoleSettings::joystick_index,
     "// specify which player index joystick control begins at (0..7)\n"},
    {"merge_joysticks", &ConsoleSettings::merge_joysticks,
     "// treat the first n controllers as a single player\n"},
    {"live_notes", &ConsoleSettings::live_notes, "// play notes as they are plotted in the sound editor\n"},
    {"cursor_snap", &ConsoleSettings::cursor_snap, "// snap the cursor when drawing shapes\n"},
    {"gui_theme", &ConsoleSettings::gui_theme,
     "// 0 default 1 dark blue background 2 black background 3 gray background\n"},
    {"screenshot_scale", &ConsoleSettings::screenshot_scale, "// scale of screenshots (2 gives 256x256)\n"},
    {"gif_scale", &ConsoleSettings::gif_scale, "// scale of gif captures\n"},
    {"gif_len", &ConsoleSettings::gif_len, "// maximum gif length in seconds (0..120; 0 means no gif recording)\n"},
    {"gif_reset_mode", &ConsoleSettings::gif_reset_mode, "// 1: reset the recording after each saved gif\n"},
    {"host_framerate_control", &ConsoleSettings::host_framerate_control,
     "// 0 off 1 auto 2 a cartridge's frame rate follows the host's capacity\n"},
    {"splore_filter", &ConsoleSettings::splore_filter, "// 1: exclude cartridges tagged as mature\n"},
    {"boot_to_splore", &ConsoleSettings::boot_to_splore, "// start in the cartridge browser\n"},
    {"tab_width", &ConsoleSettings::tab_width, "// tab display width (1..4, times 4 pixels)\n"},
    {"draw_tabs", &ConsoleSettings::draw_tabs, "// draw tab characters as small vertical lines\n"},
    {"record_activity_log", &ConsoleSettings::record_activity_log,
     "// record the current cartridge every 3 seconds\n"},
    {"allow_function_keys", &ConsoleSettings::allow_function_keys, "// allow F6..F9 (alternative ctrl 6..9)\n"},
    {"check_for_cart_updates", &ConsoleSettings::check_for_cart_updates,
     "// check for a newer version of a cartridge each time it runs\n"},
    {"shift_glyphs", &ConsoleSettings::shift_glyphs, nullptr},
    {"show_backup_messages", &ConsoleSettings::show_backup_messages, nullptr},
    {"enable_gpio", &ConsoleSettings::enable_gpio, nullptr},
    {"flip_ampersand", &ConsoleSettings::flip_ampersand, nullptr},  // written only when set
    {"auto_hide_mouse_cursor", &ConsoleSettings::auto_hide_mouse_cursor,
     "// hide the mouse cursor for n seconds while typing\n"},
    {"aggressive_backups", &ConsoleSettings::aggressive_backups,
     "// back up with a new time-stamped file name on every run\n"},
    {"periodic_backups", &ConsoleSettings::periodic_backups, "// back up every n minutes when not idle (0 none)\n"},
    {"transform_screen", &ConsoleSettings::transform_screen,
     "// 129 flip horizontal 130 flip vertical 133 rotate 90 134 rotate 180 135 rotate 270 (0 none)\n"},
    {"gfx_grid_lines", &ConsoleSettings::gfx_grid_lines, "// draw grid lines in the sprite editor\n"},
    {"capture_timestamps", &ConsoleSettings::capture_timestamps,
     "// 0 sequential capture names (foo_0.png) 1 time-stamped names (foo_20240115_120823.png)\n"},
    {"max_prefetch_threads", &ConsoleSettings::max_prefetch_threads,
     "// threads that prefetch cartridges in the browser (0 disables prefetching)\n"},
};

void read_button_keys(ConsoleSettings& settings, const char* text) {
  for (int& key : settings.button_keys) {
    const char* end = text;
    int value = host::parse_setting_int(text, &end);
    if (end == text) break;
    key = (value >= 0 && value < host::kScancodeCount) ? value : 0;
    text = end;
  }
}

}  // namespace

ConsoleSettings& console_settings() { return settings_record; }

void console_settings_reset() { settings_record = ConsoleSettings{}; }

void console_settings_load_line(ConsoleSettings& settings, const char* line) {
  if (starts_with(line, "volume")) {
    settings.volume = host::parse_setting_int(line + 6);
    if (host::ruvo_config().sound_volume != 0) host::ruvo_config().sound_volume = clamp(settings.volume, 0, 256);
  } else if (starts_with(line, "root_path")) {
    settings.root_path = host::normalise_path(line[9] ? line + 10 : "");
  } else if (starts_with(line, "cdata_path")) {
    settings.cdata_path = host::normalise_path(line[10] ? line + 11 : "");
  } else if (starts_with(line, "button_keys")) {
    read_button_keys(settings, line + 11);
  } else if (starts_with(line, "content_filter")) {
    settings.splore_filter = host::parse_setting_int(line + 14) == 2 ? 1 : 0;
  } else {
    for (const IntKey& key : kIntKeys) {
      if (starts_with(line, key.key)) {
        settings.*key.field = host::parse_setting_int(line + std::strlen(key.key));
        return;
      }
    }
  }
}

void console_settings_clamp(ConsoleSettings& settings) {
  settings.volume = clamp(settings.volume, 0, 256);
  settings.joystick_index = clamp(settings.joystick_index, 0, 7);
  settings.merge_joysticks = clamp(settings.merge_joysticks, 0, 8);
  settings.gui_theme = clamp(settings.gui_theme, 0, 3);
  // A capture scale beyond 16 would ask for pictures of thousands of pixels a side.
  settings.screenshot_scale = clamp(settings.screenshot_scale, 1, 16);
  settings.gif_scale = clamp(settings.gif_scale, 1, 16);
  settings.gif_len = clamp(settings.gif_len, 0, 120);
  settings.host_framerate_control = clamp(settings.host_framerate_control, 0, 2);
  settings.tab_width = clamp(settings.tab_width, 1, 4);
  settings.auto_hide_mouse_cursor = clamp(settings.auto_hide_mouse_cursor, 0, 3600);
  settings.periodic_backups = clamp(settings.periodic_backups, 0, 24 * 60);
  settings.max_prefetch_threads = clamp(settings.max_prefetch_threads, 0, 16);
  if (settings.transform_screen != 0 && (settings.transform_screen < 129 || settings.transform_screen > 135))
    settings.transform_screen = 0;
}

void console_settings_save(const ConsoleSettings& settings, FILE* file) {
  std::fprintf(file, "version %s\n\n", kConsoleVersion);
  // The master volume mirrors the framework's sound volume, which the hot keys change.
  std::fprintf(file, "// audio volume: 0..256 \nvolume %d\n\n", host::ruvo_config().sound_volume);
  std::fprintf(file, "// location of tamori's virtual drive; use \"ls\" to see what is there\nroot_path %s\n\n",
               settings.root_path.c_str());
  std::fprintf(file, "// location of cartridge save data\ncdata_path %s\n\n", settings.cdata_path.c_str());
  for (const IntKey& key : kIntKeys) {
    if (key.field == &ConsoleSettings::flip_ampersand) {
      if (settings.flip_ampersand) std::fprintf(file, "flip_ampersand 1\n\n");
      continue;
    }
    if (!key.comment) continue;
    std::fprintf(file, "%s%s %d\n\n", key.comment, key.key, settings.*key.field);
  }
  std::fputs("// custom keyboard scancodes for buttons. player0 0..6, player1 0..5\nbutton_keys ", file);
  for (int key : settings.button_keys) std::fprintf(file, "%d ", key);
  std::fputs("\n\n", file);
}

void console_settings_register() {
  host::ConfigCallbacks callbacks;
  callbacks.load_line = [](const char* line) { console_settings_load_line(settings_record, line); };
  callbacks.save = [](FILE* file) { console_settings_save(settings_record, file); };
  host::ruvo_config_register_callbacks(callbacks);
}

void console_parse_command_line(ConsoleSettings& settings, ConsoleOptions& options, int argc,
                                const char* const* argv) {
  auto copy_limited = [](const char* text, size_t limit) { return std::string(text).substr(0, limit); };
  options.start_in_browser = settings.boot_to_splore != 0;
  std::string pending;
  for (int i = 1; i < argc; i++) {
    const char* argument = argv[i];
    if (argument[0] == '&' || argument[0] == '>' || argument[0] == '|') break;
    bool takes_any_text = pending == "-export";
    if (argument[0] == '-' && !takes_any_text) {
      std::string name = argument;
      if (name == "-global_api") {
        options.global_api = true;
      } else if (name == "-kiosk") {
        options.kiosk = true;
        options.start_in_browser = true;
      } else {
        pending = name;
      }
      continue;
    }
    if (pending.empty()) {
      if (options.cart_to_load.empty())
        options.cart_to_load = copy_limited(argument, 1024);
      else
        options.extra_carts.push_back(copy_limited(argument, 1024));
      continue;
    }
    int number = host::parse_setting_int(argument);
    const std::string option = pending;
    pending.clear();
    if (option == "-run") {
      options.cart_to_load = copy_limited(argument, 1024);
      options.run = true;
      options.start_in_browser = false;
    } else if (option == "-x" || option == "-exec") {
      options.cart_to_load = copy_limited(argument, 1024);
      options.execute = true;
      options.start_in_browser = false;
      host::ruvo_config().headless = true;
    } else if (option == "-export") {
      options.export_mode = true;
      options.export_name = copy_limited(argument, 1024);
      host::ruvo_config().headless = true;
    } else if (option == "-p" || option == "-param") {
      options.parameter = copy_limited(argument, 1024);
    } else if (option == "-joystick") {
      settings.joystick_index = clamp(number, 0, 7);
    } else if (option == "-gif_len") {
      settings.gif_len = number;
    } else if (option == "-gif_scale") {
      settings.gif_scale = number;
    } else if (option == "-screenshot_scale") {
      settings.screenshot_scale = number;
    } else if (option == "-gui_theme") {
      settings.gui_theme = number;
    } else if (option == "-gif_reset_mode") {
      settings.gif_reset_mode = number;
    } else if (option == "-splore_filter") {
      settings.splore_filter = number;
    } else if (option == "-gpio_base") {
      options.gpio_base = number;
    } else if (option == "-glitch_test") {
      options.glitch_test = number;
    } else if (option == "-root_path") {
      settings.root_path = host::normalise_path(argument);
    } else if (option == "-cdata_path") {
      settings.cdata_path = host::normalise_path(argument);
    } else if (option == "-accept_future") {
      options.accept_future = number;
    } else if (option == "-volume") {
      settings.volume = clamp(number, 0, 256);
      if (host::ruvo_config().sound_volume != 0) host::ruvo_config().sound_volume = settings.volume;
    } else if (option == "-tv_frame") {
      options.tv_frame = number;
    } else if (option == "-displays_x") {
      options.displays_x = clamp(number, 1, 8);
    } else if (option == "-displays_y") {
      options.displays_y = clamp(number, 1, 8);
    } else if (option == "-i") {
      if (options.input_file.empty()) options.input_file = argument;
    } else if (option == "-o") {
      if (options.output_file.empty()) options.output_file = argument;
    } else if (option == "-url_code") {
      options.url_code = copy_limited(argument, 2047);
    } else if (option == "-url_gfx") {
      options.url_gfx = copy_limited(argument, 2047);
    } else if (option == "-cid") {
      options.cid = copy_limited(argument, 255);
    }
    // Unknown options (the framework's) simply drop their value.
  }
  console_settings_clamp(settings);
}

}  // namespace tamori::shell
