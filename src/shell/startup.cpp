#include "shell/startup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "audio/music_sequencer.h"
#include "host/alloc.h"
#include "host/clock.h"
#include "host/files.h"
#include "host/log.h"
#include "host/paths.h"
#include "input/host_input.h"
#include "input/input_recording.h"
#include "machine/memory.h"
#include "machine/memory_map.h"
#include "machine/print_functions.h"
#include "runner/program_runner.h"
#include "shell/boot.h"
#include "shell/cartridge_runner.h"
#include "shell/audio_device.h"
#include "shell/console_text.h"
#include "shell/main_draw.h"
#include "shell/main_loop.h"
#include "shell/running_keys.h"
#include "shell/scancode_viewer.h"

namespace tamori::shell {
namespace {

Console* the_console = nullptr;

bool initialised = false;

void log_subsystem(const char* name) { host::ruvo_log("%s\n", name); }

// The framework's part of start-up: settings, logs, command line.
void ruvo_init(Console& console, int argc, const char* const* argv) {
  AppState& app = console.app;
  host::RuvoConfig& config = host::ruvo_config();
  host::ruvo_config_set_defaults(config);
  host::ruvo_parse_command_line(config, argc, argv);
  app.data_folder = host::default_data_folder(config.home_path);
  host::make_folders(app.data_folder);
  std::string user_log;
  const char* home = std::getenv("HOME");
  if (home && *home) {
    std::string log_folder = host::default_user_log_folder();
    if (host::make_folders(log_folder)) user_log = log_folder + app.title + ".log";
  }
  host::ruvo_log_open(app.data_folder + "log.txt", user_log);
  host::ruvo_log("platform: %s\n", "linux");
  host::ruvo_config_load(app.data_folder, app.program_folder);
  console.loaded_config = config;
  host::ruvo_parse_command_line(config, argc, argv);
  for (const char* name : {"host", "timer", "gui", "keys", "text", "video", "mouse", "joysticks"}) log_subsystem(name);
  if (config.desktop_path.empty()) config.desktop_path = host::default_desktop_folder();
  config.sessions++;
  host::ruvo_log("<ok\n");
  initialised = true;
}

void set_back_page_size(Console& console) {
  const ConsoleOptions& options = console.app.options;
  int width = 128, height = 128;
  if (options.tv_frame) {
    width = 144;
    height = 136;
  } else if (options.displays_x > 1 || options.displays_y > 1) {
    width = 128 * options.displays_x;
    height = 128 * options.displays_y;
  }
  machine::back_page_resize(console.app.back_page, width, height);
}

void open_window(Console& console) {
  AppState& app = console.app;
  if (app.headless || !app.platform.open_window) return;
  const host::RuvoConfig& config = host::ruvo_config();
  host::WindowRequest request;
  request.window_width = config.window_width;
  request.window_height = config.window_height;
  request.window_x = config.window_x;
  request.window_y = config.window_y;
  request.windowed = config.windowed != 0;
  request.frameless = config.frameless != 0;
  request.fullscreen_method = config.fullscreen_method;
  request.software_blit = config.software_blit;
  request.display_index = config.display_index;
  request.title = "TAMORI";
  if (!app.platform.open_window(app.platform.context, request)) host::ruvo_fatal("Unable to create window");
  if (app.platform.set_title) app.platform.set_title(app.platform.context, app.data.title);
  if (app.platform.set_icon && app.data.icon.width > 0) {
    std::vector<uint32_t> argb(app.data.icon.pixels.size());
    for (size_t i = 0; i < argb.size(); i++)
      argb[i] = machine::code_to_argb_with_transparency(app.data.icon.pixels[i], app.palette);
    app.platform.set_icon(app.platform.context, argb.data(), app.data.icon.width, app.data.icon.height);
  }
}

}  // namespace

void console_print(Console& console, const std::string& text, uint8_t colour) {
  print_console_line(console, text, colour);
}

std::optional<int> ruvo_main_init(Console& console, int argc, const char* const* argv,
                                  const StartupOptions& startup) {
  console = Console{};
  machine::init_machine_state(*console.machine);
  machine::reset_memory_for_run(*console.machine);
  the_console = &console;
  AppState& app = console.app;
  app.platform = startup.platform;
  app.write_stdout = startup.write_stdout;
  app.fixed_random_seed = startup.fixed_random_seed;
  app.register_functions = startup.register_functions;
  app.program_folder = startup.program_folder.empty() ? host::program_folder(argc > 0 ? argv[0] : nullptr)
                                                      : host::with_trailing_slash(startup.program_folder);
  app.title = "tamori";
  console_settings_reset();
  console_settings_register();

  ruvo_init(console, argc, argv);
  host::RuvoConfig& config = host::ruvo_config();
  console_settings_clamp(console_settings());
  console_parse_command_line(console_settings(), app.options, argc, argv);
  app.headless = config.headless || !app.platform.open_window;
  host::ruvo_set_deferred_dealloc(config.deferred_dealloc != 0);

  for (const char* folder : {"carts/", "backup/", "cdata/", "cstore/", "plates/", "bbs/", "bbs/carts/", "bbs/labels/"})
    host::make_folder(app.data_folder + folder);
  if (config.screen_width < 32 || config.screen_height < 32) {
    config.screen_width = 580;
    config.screen_height = 540;
  }
  ConsoleSettings& settings = console_settings();
  if (settings.root_path.empty() || !host::folder_exists(settings.root_path))
    settings.root_path = app.data_folder + "carts/";
  if (settings.cdata_path.empty() || !host::folder_exists(settings.cdata_path))
    settings.cdata_path = app.data_folder + "cdata/";

  app.data_file_path = host::find_data_file(app.program_folder);
  std::optional<host::ConsoleData> data = host::load_console_data(app.data_file_path);
  if (!data) {
    std::printf("couldn't load %s\n", app.data_file_path.c_str());
    std::fflush(stdout);
    host::ruvo_log_close();
    return 0;
  }
  app.data = std::move(*data);
  machine::set_builtin_font(*console.text, app.data.font);
  app.palette = app.data.palette;
  if (!app.data.title.empty()) app.title = app.data.title;
  set_back_page_size(console);
  open_window(console);
  open_audio_device(console);
  if (!app.headless && app.platform.open_controllers)
    app.platform.open_controllers(app.platform.context, app.program_folder, app.data_folder);

  load_boot_sound(console);
  console.pstate.last_t = host::ruvo_get_time_ms() - kFirstIterationGapMs;
  // -i replays and -o records the buttons of every tick from the first.
  if (!app.options.input_file.empty()) input::open_input_replay(console.input.replay, app.options.input_file);
  if (!app.options.output_file.empty()) input::open_input_recorder(console.input.recorder, app.options.output_file);
  connect_program_runner(console);
  // Execute mode runs its cartridge at once; otherwise the boot sequence
  // plays and ends in the command line's cartridge or the head cartridge.
  if (app.options.execute || app.options.export_mode) return start_command_line_cartridge(console);
  boot_init(console);
  start_shared_link_cartridge(console);
  return std::nullopt;
}

void ruvo_main_iteration(Console& console) {
  AppState& app = console.app;
  app.frame_start_ms = app.frame_start_ms ? app.frame_start_ms : host::ruvo_get_time_ms();
  host::ruvo_sleep_ms(iteration_sleep_ms(console, host::ruvo_get_time_ms()));
  host::HostEvents events;
  if (app.platform.pump_events) app.platform.pump_events(app.platform.context, app.keys, events);
  host::keys_update(app.keys, host::ruvo_get_time_ms());
  input::apply_controller_events(console.input.controllers, events);
  const int right_click_key = host::ruvo_config().rmb_key;
  console.input.mouse.right_click_key_held = right_click_key > 0 && host::key_down(app.keys, right_click_key);
  input::apply_mouse_events(console.input.mouse, events, should_be_pointer_locked(console));
  app.has_focus = events.has_focus;
  // A console that runs no program for a while keeps only the latest text.
  app.typed_text += events.typed_text;
  if (app.typed_text.size() > kMaxPendingTypedText) app.typed_text.erase(0, app.typed_text.size() - kMaxPendingTypedText);
  app.mouse_moved = events.mouse_moved;
  if (!events.dropped_file.empty()) app.dropped_path = events.dropped_file;
  if (events.quit_requested) app.quit = true;
  audio::update_music_fade(*console.audio, host::ruvo_get_time_ms());

  app.skip_draw = false;
  ruvo_main_update(console);
  if (!app.skip_draw) {
    const int32_t draw_start = host::ruvo_get_time_ms();
    ruvo_main_draw(console);
    if (!app.headless) present_back_page(console);
    const int32_t now = host::ruvo_get_time_ms();
    app.last_draw_ms = now - draw_start;
    const int32_t elapsed = std::max<int32_t>(1, std::min<int32_t>(now - app.frame_start_ms, 1000));
    app.smoothed_fps = int32_t((int64_t(1000) << 16) / elapsed);
    app.frame_start_ms = now;
  }
}

void ruvo_exit(Console& console) {
  if (!initialised) return;
  AppState& app = console.app;
  runner::save_cart_data();
  runner::shutdown_lua_machine();
  runner::program_runner().host = runner::RunnerHost{};
  host::ruvo_config_save(app.data_folder, app.title);
  close_audio_device(console);
  input::close_input_recorder(console.input.recorder);
  if (app.platform.close_window) app.platform.close_window(app.platform.context);
  host::ruvo_log("<ok\n");
  host::ruvo_log_close();
  initialised = false;
  if (the_console == &console) the_console = nullptr;
}

int ruvo_main(int argc, const char* const* argv, const StartupOptions& startup) {
  if (argc > 1 && std::string_view(argv[1]) == "-scancodes") {
    const std::string folder = startup.program_folder.empty() ? host::program_folder(argv[0])
                                                              : host::with_trailing_slash(startup.program_folder);
    return run_scancode_viewer(startup.platform, folder);
  }
  static Console console;
  if (std::optional<int> status = ruvo_main_init(console, argc, argv, startup)) return *status;
  while (!console.app.quit) ruvo_main_iteration(console);
  ruvo_exit(console);
  return 0;
}

}  // namespace tamori::shell
