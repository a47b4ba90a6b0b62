#include "host/config.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "host/files.h"
#include "host/log.h"
#include "host/sha1.h"

namespace tamori::host {
namespace {

constexpr size_t kLongestSettingsLine = 255;
// Window and screen sizes beyond this are not real displays; they would only
// make the host fail to create a window.
constexpr int kLargestWindowSide = 16384;

RuvoConfig config_record;
ConfigFileState file_state;
ConfigCallbacks callbacks;

bool starts_with(const char* line, const char* key) { return std::strncmp(line, key, std::strlen(key)) == 0; }

int clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

// " %d %d" after the key.
void read_pair(const char* text, int* first, int* second) {
  const char* end = text;
  *first = parse_setting_int(text, &end);
  *second = parse_setting_int(end);
}

void read_scancode_map(RuvoConfig& config, const char* text) {
  std::fill(config.scancode_map.begin(), config.scancode_map.end(), 0);
  while (*text == ' ') text++;
  while (*text >= '0' && *text <= '9') {
    const char* end = text;
    int from = parse_setting_int(text, &end);
    if (*end != '=') break;
    int to = parse_setting_int(end + 1, &end);
    if (from >= 1 && from < kScancodeCount && to >= 1 && to < kScancodeCount) config.scancode_map[size_t(from)] = to;
    text = end;
    if (*text == ',') text++;
  }
  std::fill(config.scancode_reverse_map.begin(), config.scancode_reverse_map.end(), 0);
  for (int from = 1; from < kScancodeCount; from++)
    if (int to = config.scancode_map[size_t(from)]) config.scancode_reverse_map[size_t(to)] = from;
}

std::string text_after_key(const char* line, const char* key) {
  const char* text = line + std::strlen(key);
  if (*text) text++;  // the separating space
  return text;
}

}  // namespace

int parse_setting_int(const char* text, const char** end) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') p++;
  bool negative = false;
  if (*p == '-' || *p == '+') {
    negative = *p == '-';
    p++;
  }
  if (*p < '0' || *p > '9') {
    if (end) *end = text;
    return 0;
  }
  long long value = 0;
  while (*p >= '0' && *p <= '9') {
    if (value < INT_MAX) value = value * 10 + (*p - '0');
    p++;
  }
  if (end) *end = p;
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return int(value);
}

RuvoConfig& ruvo_config() { return config_record; }
ConfigFileState& ruvo_config_file_state() { return file_state; }

void ruvo_config_set_defaults(RuvoConfig& config) { config = RuvoConfig{}; }

void ruvo_config_register_callbacks(const ConfigCallbacks& registered) { callbacks = registered; }

void ruvo_config_apply_line(RuvoConfig& config, const char* line) {
  struct IntKey {
    const char* key;
    int RuvoConfig::*field;
  };
  static const IntKey int_keys[] = {
      {"show_fps", &RuvoConfig::show_fps},
      {"windowed", &RuvoConfig::windowed},
      {"frameless", &RuvoConfig::frameless},
      {"fullscreen_method", &RuvoConfig::fullscreen_method},
      {"foreground_sleep_ms", &RuvoConfig::foreground_sleep_ms},
      {"background_sleep_ms", &RuvoConfig::background_sleep_ms},
      {"sessions", &RuvoConfig::sessions},
      {"rmb_key", &RuvoConfig::rmb_key},
      {"read_controllers_in_background", &RuvoConfig::read_controllers_in_background},
      {"sound_volume", &RuvoConfig::sound_volume},
      {"music_volume", &RuvoConfig::music_volume},
      {"mix_buffer_size", &RuvoConfig::mix_buffer_size},
      {"use_wget", &RuvoConfig::use_wget},
  };
  if (starts_with(line, "window_size")) {
    read_pair(line + 11, &config.window_width, &config.window_height);
  } else if (starts_with(line, "screen_size")) {
    read_pair(line + 11, &config.screen_width, &config.screen_height);
  } else if (starts_with(line, "window_position")) {
    read_pair(line + 15, &config.window_x, &config.window_y);
    ruvo_log("new window position: %d, %d\n", config.window_x, config.window_y);
  } else if (starts_with(line, "blit_method")) {
    config.blit_method = parse_setting_int(line + 11);
    if (config.blit_method == 1) config.software_blit = true;
    if (config.blit_method == 2) config.software_blit = false;
  } else if (starts_with(line, "desktop_path")) {
    config.desktop_path = text_after_key(line, "desktop_path");
  } else if (starts_with(line, "map_scancodes")) {
    read_scancode_map(config, line + 13);
  } else {
    for (const IntKey& key : int_keys) {
      if (starts_with(line, key.key)) {
        config.*key.field = parse_setting_int(line + std::strlen(key.key));
        return;
      }
    }
    if (callbacks.load_line) callbacks.load_line(line);
  }
}

void ruvo_config_clamp(RuvoConfig& config) {
  config.sound_volume = clamp(config.sound_volume, 0, 256);
  config.music_volume = clamp(config.music_volume, 0, 256);
  config.foreground_sleep_ms = clamp(config.foreground_sleep_ms, 0, 200);
  config.background_sleep_ms = clamp(config.background_sleep_ms, 0, 200);
  // 0 asks for no sound device at all; other sizes outside the range fall
  // back to the default.
  if (config.mix_buffer_size != 0 && (config.mix_buffer_size < 512 || config.mix_buffer_size > 8192))
    config.mix_buffer_size = 1024;
  config.window_width = clamp(config.window_width, 0, kLargestWindowSide);
  config.window_height = clamp(config.window_height, 0, kLargestWindowSide);
  config.screen_width = clamp(config.screen_width, 0, kLargestWindowSide);
  config.screen_height = clamp(config.screen_height, 0, kLargestWindowSide);
  config.window_x = clamp(config.window_x, -kLargestWindowSide, kLargestWindowSide);
  config.window_y = clamp(config.window_y, -kLargestWindowSide, kLargestWindowSide);
  config.fullscreen_method = clamp(config.fullscreen_method, 0, 2);
  if (config.sessions < 0) config.sessions = 0;
  if (config.rmb_key < 0 || config.rmb_key >= kScancodeCount) config.rmb_key = 0;
}

void ruvo_config_load(const std::string& data_folder, const std::string& program_folder) {
  if (file_state.loaded) return;
  file_state.loaded = true;
  std::string path = data_folder + "config.txt";
  std::optional<std::vector<uint8_t>> bytes = read_file(path, 1 << 20);
  if (!bytes) {
    bytes = read_file(program_folder + "config.txt", 1 << 20);
    if (bytes) path = program_folder + "config.txt";
  }
  file_state.path = data_folder + "config.txt";
  if (!bytes) return;
  file_state.path = path;

  ruvo_log(">Found config.txt\n");
  int logged = 0;
  std::string line;
  auto finish_line = [&]() {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    // NUL bytes would cut the line short for the key matchers; drop them.
    line.erase(std::remove(line.begin(), line.end(), '\0'), line.end());
    if (!line.empty() && line[0] != '/') ruvo_log("%02d %s\n", ++logged, line.c_str());
    ruvo_config_apply_line(config_record, line.c_str());
    line.clear();
  };
  bool truncating = false;
  for (uint8_t byte : *bytes) {
    if (byte == '\n') {
      finish_line();
      truncating = false;
      continue;
    }
    if (line.size() >= kLongestSettingsLine) truncating = true;
    if (!truncating) line += char(byte);
  }
  if (!line.empty()) finish_line();
  ruvo_log("<");
  ruvo_config_clamp(config_record);
  file_state.digest = sha1_hex(bytes->data(), bytes->size());
}

bool ruvo_config_save(const std::string& data_folder, const std::string& application_title) {
  std::string path = data_folder + "config.txt";
  if (!file_state.digest.empty()) {
    std::optional<std::vector<uint8_t>> on_disk = read_file(file_state.path, 1 << 20);
    std::string digest = on_disk ? sha1_hex(on_disk->data(), on_disk->size()) : std::string();
    if (digest != file_state.digest) return false;  // edited while we ran: keep the user's edits
  }
  std::string temporary = path + ".tmp";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  const RuvoConfig& c = config_record;
  const char* dashes = "// - - - - - - - - - - - - - - - - - - - - - - - - - - - -\n";
  std::fputs(dashes, file);
  std::fprintf(file, "// Configuration for %s\n// \n", application_title.c_str());
  std::fputs("// config.txt is read on startup and saved on exit.\n", file);
  std::fputs("// To generate the default config.txt, delete this file.\n// \n", file);
  std::fputs(dashes, file);
  std::fputs("\n\n// :: Video Settings\n\n", file);
  std::fprintf(file, "window_size %d %d // window width, height\n", c.window_width, c.window_height);
  std::fprintf(file, "screen_size %d %d // screen width, height (stretched to window) \n", c.screen_width,
               c.screen_height);
  std::fprintf(file, "show_fps %d // Draw frames per second in the corner\n", c.show_fps);
  std::fputs("\n\n// :: Window Settings\n\n", file);
  std::fprintf(file, "windowed %d // 1 to start up in windowed mode\n", c.windowed);
  std::fprintf(file, "window_position %d %d // x and y position of window, or -1 to let the window manager decide\n",
               c.window_x, c.window_y);
  std::fprintf(file, "frameless %d // 1 to use a window with no frame\n", c.frameless);
  std::fprintf(file,
               "fullscreen_method %d // 0 maximized window 1 borderless desktop-sized window 2 hardware fullscreen\n",
               c.fullscreen_method);
  std::fprintf(file, "blit_method %d // 0 auto 1 software (slower but sometimes more reliable) 2 hardware\n",
               c.blit_method);
  std::fputs("\n\n// :: System Settings\n\n", file);
  std::fprintf(file, "foreground_sleep_ms %d // number of milliseconds to sleep each frame\n", c.foreground_sleep_ms);
  std::fprintf(file, "background_sleep_ms %d // number of milliseconds to sleep each frame when running in the background\n",
               c.background_sleep_ms);
  std::fprintf(file, "sessions %d // number of times the program has been run\n", c.sessions);
  std::fputs("\n// (scancode) hold this key down and left-click to simulate right-click\n", file);
  std::fprintf(file, "rmb_key %d // 0 for none\n", c.rmb_key);
  std::fputs("\n// Location of screenshots and gifs\n", file);
  std::fprintf(file, "desktop_path %s\n\n", c.desktop_path.c_str());
  std::fputs("// 1: read controller input even when application is in the background\n", file);
  std::fprintf(file, "read_controllers_in_background %d\n\n", c.read_controllers_in_background);
  std::fprintf(file, "\n\n// :: Audio Settings (use \"volume\" for %s)\n\n", "TAMORI");
  std::fprintf(file, "sound_volume %d // 0..256\n", c.sound_volume);
  std::fprintf(file, "music_volume %d // 0..256\n", c.music_volume);
  std::fputs("\n\n// :: usually 1024. Try 2048 if you get choppy sound\n\n", file);
  std::fprintf(file, "mix_buffer_size %d\n", c.mix_buffer_size);
  std::fputs("\n\n// :: map scancodes: pressing scancode a generates scancode b\n", file);
  std::fputs("// :: a=b pairs separated by commas, e.g. map_scancodes 4=20,20=4\n", file);
  std::fputs("map_scancodes ", file);
  for (int from = 1; from < kScancodeCount; from++)
    if (int to = c.scancode_map[size_t(from)]) std::fprintf(file, "%d=%d,", from, to);
  std::fputs("\n", file);
  std::fprintf(file, "\n\nuse_wget %d // (Linux) 1 to use wget for downloads instead of libcurl (must be installed)\n\n",
               c.use_wget);
  std::fprintf(file, "\n\n// :: %s \n\n", application_title.c_str());
  if (callbacks.save) callbacks.save(file);
  bool ok = std::fclose(file) == 0;
  if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  file_state.path = path;
  if (auto written = read_file(path, 1 << 20)) file_state.digest = sha1_hex(written->data(), written->size());
  return true;
}

void ruvo_config_reset_for_tests() {
  config_record = RuvoConfig{};
  file_state = ConfigFileState{};
  callbacks = ConfigCallbacks{};
}

void ruvo_parse_command_line(RuvoConfig& config, int argc, const char* const* argv) {
  struct IntOption {
    const char* name;
    int RuvoConfig::*field;
  };
  // Matched by the beginning of the argument, in this order.
  static const IntOption int_options[] = {
      {"-width", &RuvoConfig::window_width},
      {"-height", &RuvoConfig::window_height},
      {"-show_fps", &RuvoConfig::show_fps},
      {"-windowed", &RuvoConfig::windowed},
      {"-window_x", &RuvoConfig::window_x},
      {"-window_y", &RuvoConfig::window_y},
      {"-frameless", &RuvoConfig::frameless},
      {"-fullscreen_method", &RuvoConfig::fullscreen_method},
      {"-foreground_sleep_ms", &RuvoConfig::foreground_sleep_ms},
      {"-background_sleep_ms", &RuvoConfig::background_sleep_ms},
      {"-sound_volume", &RuvoConfig::sound_volume},
      {"-sound", &RuvoConfig::sound_volume},
      {"-music_volume", &RuvoConfig::music_volume},
      {"-music", &RuvoConfig::music_volume},
      {"-mix_buffer_size", &RuvoConfig::mix_buffer_size},
      {"-pixel_perfect", &RuvoConfig::pixel_perfect},
      {"-timeout", &RuvoConfig::download_timeout},
      {"-perf_timing", &RuvoConfig::perf_timing},
      {"-emulate_textinput", &RuvoConfig::emulate_textinput},
      {"-deferred_dealloc", &RuvoConfig::deferred_dealloc},
      {"-ext_display", &RuvoConfig::ext_display},
      {"-preblit_scale", &RuvoConfig::preblit_scale},
      {"-display", &RuvoConfig::display_index},
      {"-log_system_info", &RuvoConfig::log_system_info},
  };
  for (int i = 1; i < argc; i++) {
    const char* argument = argv[i];
    if (argument[0] == '&' || argument[0] == '>' || argument[0] == '|') break;
    if (argument[0] != '-') continue;
    // Options that take no value.
    if (starts_with(argument, "-headless") || argument[1] == 'x') {
      config.headless = true;
      continue;
    }
    if (starts_with(argument, "-framebuffer")) {
      config.framebuffer = true;
      continue;
    }
    if (i + 1 >= argc) break;
    const char* value = argv[i + 1];
    if (starts_with(argument, "-software_blit")) {
      config.software_blit = parse_setting_int(value) != 0;
    } else if (starts_with(argument, "-home")) {
      config.home_path = value;
    } else if (starts_with(argument, "-desktop")) {
      config.desktop_path = value;
    } else if (starts_with(argument, "-draw_rect")) {
      int x = 0, y = 0, width = 0, height = 0;
      if (std::sscanf(value, "%d,%d,%d,%d", &x, &y, &width, &height) == 4) {
        config.draw_rect_x = x;
        config.draw_rect_y = y;
        config.draw_rect_width = width;
        config.draw_rect_height = height;
        config.draw_rect_given = true;
      }
    } else {
      for (const IntOption& option : int_options) {
        if (starts_with(argument, option.name)) {
          config.*option.field = parse_setting_int(value);
          break;
        }
      }
    }
    // Every option but the flags above takes the next argument as its value,
    // including options that belong to the console's parser.
    i++;
  }
  config.download_timeout = clamp(config.download_timeout, 1, 240);
  config.preblit_scale = clamp(config.preblit_scale, 0, 8);
  ruvo_config_clamp(config);
}

}  // namespace tamori::host
