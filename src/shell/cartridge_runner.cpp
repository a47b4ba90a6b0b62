#include "shell/cartridge_runner.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "audio/audio_lock.h"
#include "cart/cartridge_bytes.h"
#include "cart/cartridge_hash.h"
#include "cart/cartridge_loader.h"
#include "cart/code_tabs.h"
#include "cart/embedded_carts.h"
#include "cart/storage_hooks.h"
#include "host/clock.h"
#include "host/config.h"
#include "host/log.h"
#include "input/button_update.h"
#include "lang/api.h"
#include "lang/cpu_counters.h"
#include "runner/program_runner.h"
#include "shell/console_capture.h"
#include "runner/random_generator.h"
#include "machine/memory.h"
#include "machine/memory_map.h"
#include "shell/command_bindings.h"
#include "shell/config_command.h"
#include "shell/console_text.h"
#include "shell/main_loop.h"
#include "shell/message_bar.h"
#include "shell/pause_menu.h"
#include "shell/print_sound_hooks.h"
#include "shell/sound_input_hooks.h"

namespace tamori::shell {
namespace {

constexpr uint8_t kNoScrollFlag = 0x40;  // in 0x5f36

std::string folder_of(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// An included file: relative to the working cartridge's folder, or to the
// root folder when it starts with "/"; any cartridge format, or program
// text.
bool read_include(Console& console, const std::string& name, int tab, std::string* code) {
  std::string path = name[0] == '/' ? console_settings().root_path + name.substr(1)
                                    : folder_of(console.working.file_name) + name;
  cart::CartridgeLoadResult loaded = cart::load_cartridge_any_format(path);
  if (!loaded.cartridge) return false;
  if (tab < 0) {
    *code = loaded.cartridge->code;
  } else {
    std::vector<std::string> tabs = cart::split_code_tabs(loaded.cartridge->code);
    if (tab >= int(tabs.size())) return false;
    *code = tabs[size_t(tab)];
  }
  return true;
}

}  // namespace

cart::CartridgeHost console_cartridge_host(Console& console) {
  cart::CartridgeHost host;
  host.data_folder = console.app.data_folder;
  host.show_message = [&console](const std::string& text, int milliseconds) {
    show_message(console.app.message, text, milliseconds, host::ruvo_get_time_ms());
  };
  host.print = [&console](const std::string& text, int colour) { print_console_line(console, text, colour); };
  host.accept_future = console.app.options.accept_future != 0;
  host.console_data = &console.app.data;
  host.lock_audio = [&console]() { audio::lock_audio(*console.audio); };
  host.unlock_audio = [&console]() { audio::unlock_audio(*console.audio); };
  return host;
}

namespace {

cart::CartridgeHost cartridge_host(Console& console) { return console_cartridge_host(console); }

// The running file's name relative to the root folder.
std::string running_file_name(const std::string& file_name) {
  const std::string& root = console_settings().root_path;
  if (!root.empty() && file_name.compare(0, root.size(), root) == 0) return "/" + file_name.substr(root.size());
  return file_name;
}


void record_performance_sample(Console& console) {
  runner::ProgramRunner& runner = runner::program_runner();
  FrameMeasurement frame;
  if (runner.cart_state) frame.memory_bytes = int64_t(lang::memory_in_use(runner.cart_state)) + runner.token_overhead;
  frame.cycles = lang::lua_get_cpu_cycles();
  frame.system_cycles = lang::cpu_counters.system_cycles;
  frame.overran = runner.governor.frame_overran;
  frame.current_fps = console.pstate.current_fps;
  frame.requested_fps = console.pstate.requested_fps;
  frame.frame_accumulator = console.pstate.frame_accumulator;
  frame.meter_fps = console.app.smoothed_fps;
  record_flip(console.app.performance, frame);
}

bool board_id_character(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-'; }

}  // namespace

uint32_t console_random_seed(const Console& console) {
  if (console.app.fixed_random_seed) return *console.app.fixed_random_seed;
  return uint32_t(host::ruvo_get_time_ms()) + uint32_t(std::time(nullptr));
}

std::string board_cartridge_id(const std::string& file_name, const std::string& data_folder) {
  const std::string board_folder = data_folder + "bbs/";
  if (data_folder.empty() || file_name.compare(0, board_folder.size(), board_folder) != 0) return "";
  const std::string name = file_name.substr(file_name.rfind('/') + 1);
  const size_t end = name.find(".tm");
  if (end == std::string::npos) return "";
  size_t start = end;
  while (start > 0 && board_id_character(name[start - 1])) start--;
  return name.substr(start, end - start);
}

void write_standard_output(Console& console, std::string_view text) {
  if (console.app.write_stdout) {
    console.app.write_stdout(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void print_console_line(Console& console, std::string_view text, int colour) {
  const bool to_stdout = console.app.options.execute && console.pstate.console_mode != kModeRunning;
  if (to_stdout) {
    std::string line(text);
    if (line.empty() || line.back() != '\n') line += '\n';
    write_standard_output(console, line);
    return;
  }
  const bool program_runs = console.pstate.console_mode == kModeRunning && console.pstate.program_running;
  // A running program may ask (0x5f36 bit 0x40) that printing never scroll.
  const bool scrolling = !(program_runs && (machine::read_memory_byte(*console.machine, 0x5f36) & kNoScrollFlag));
  int scroll_cycles =
      console_print(console.app.console_text, console.app.data.font, text, uint8_t(colour & 15), scrolling);
  // Scrolling costs a running program 0x20000 cycles a line.
  if (scroll_cycles > 0 && console.pstate.console_mode == kModeRunning) lang::spend_cpu_8MHz(scroll_cycles);
}

void connect_program_runner(Console& console) {
  cart::connect_cartridge_storage(console.storage, console.working, cartridge_host(console));
  cart::connect_embedded_cart_storage(console.storage, console.embedded_carts);
  runner::RunnerHost& host = runner::program_runner().host;
  host = runner::RunnerHost{};
  host.machine = console.machine.get();
  host.storage = &console.storage;
  host.control = &console.pstate;
  host.text = console.text.get();
  connect_print_sound(console);
  host.console_print = [&console](std::string_view text, int colour) { print_console_line(console, text, colour); };
  host.program_print = host.console_print;
  host.write_stdout = [&console](std::string_view text) { write_standard_output(console, text); };
  host.show_message = [&console](const std::string& text, int milliseconds) {
    show_message(console.app.message, text, milliseconds, host::ruvo_get_time_ms());
  };
  host.read_include = [&console](const std::string& name, int tab, std::string* code) {
    return read_include(console, name, tab, code);
  };
  host.governor_inputs = [&console]() {
    runner::GovernorInputs inputs;
    inputs.meter_fps = console.app.smoothed_fps >> 16;
    inputs.host_framerate_control = console_settings().host_framerate_control;
    inputs.draw_ms = console.app.last_draw_ms;
    inputs.sleep_ms = applicable_sleep_ms(console);
    inputs.window_active = console.app.has_focus;
    inputs.now_ms = host::ruvo_get_time_ms();
    return inputs;
  };
  host.program_stopped = [&console]() {
    if (console.app.options.execute) console.app.quit = true;
  };
  host.record_performance = [&console]() { record_performance_sample(console); };
  host.config_command = [&console](const std::string& argument) { run_config_command(console, argument); };
  host.update_buttons = [&console]() {
    update_console_buttons(console);
    update_paused_menu(console);
  };
  host.pause_menu_item_count = [&console]() { return main_page_item_count(console); };
  host.block_buttons = [&console]() { input::block_buttons(console.input, *console.machine); };
  host.log = [](const std::string& line) { host::ruvo_log("%s", line.c_str()); };
  host.cdata_folder = console_settings().cdata_path;
  host.output_folder = console_settings().root_path;
  host.desktop_folder = host::ruvo_config().desktop_path;
  host.global_api = console.app.options.global_api;
  const ConsoleOptions& options = console.app.options;
  host.single_display_layout = options.displays_x <= 1 && options.displays_y <= 1;
  host.display_count = options.tv_frame ? 1 : std::clamp(options.displays_x * options.displays_y, 1, 4);
  host.register_functions = [&console](lang::ThreadState* state) {
    register_system_commands(console, state);
    if (console.app.register_functions) console.app.register_functions(state);
  };
  host.fresh_random_seed = [&console]() { return console_random_seed(console); };
  connect_sound_and_input(console);
  connect_flip_recording(console);
}

void run_cart(Console& console) {
  runner::ProgramRunner& runner = runner::program_runner();
  machine::MachineState& machine = *console.machine;
  cart::Cartridge& cartridge = *console.working.cartridge;

  runner.current_parameter = runner.next_parameter;
  runner.next_parameter.clear();
  runner.board_id = board_cartridge_id(console.working.file_name, console.app.data_folder);
  const std::string running = running_file_name(console.working.file_name);
  host::ruvo_log("run_cart current_filename: %s running_filename: %s running_cart_lid: %s\n",
                 console.working.file_name.c_str(), running.c_str(), runner.board_id.c_str());

  runner::reset_lua_machine();
  uint8_t rom[machine::kCartridgeRomSize];
  cart::copy_cartridge_to_rom(cartridge, rom);
  machine::load_rom_image_into_memory(machine, rom);
  runner.menu_labels = {};
  runner.menu_selected = {};
  runner.menu_filters = {};
  runner.menu_item_chosen = false;
  runner.cart_data = runner::CartData{};
  runner.scoresub_shown = false;

  runner::random_seed(machine.random_state, console_random_seed(console));

  runner::run_program(cartridge.code, false);
  start_run_sound_and_input(console);

  console.pstate.current_fps = 30;
  console.pstate.requested_fps = 30;
  runner.cartridge_hash = cart::cartridge_hash(&cartridge);
  console.pstate.load_hold_recent = 0;
  runner.single_step = false;
  runner.resumable = true;
  machine::set_draw_display(machine, 0);
}

bool follow_current_breadcrumb(Console& console) {
  runner::ProgramRunner& runner = runner::program_runner();
  const runner::RunChainEntry* top = runner::run_chain_top(runner.run_chain);
  if (!top) return false;
  const runner::RunChainEntry entry = *top;
  runner::run_chain_pop(runner.run_chain);
  if (cart::load_working_cartridge(console.working, cartridge_host(console), entry.file_name) != 0) return false;
  console.pstate.pending_action = kActionRun;
  runner.next_parameter = entry.parameter;
  console.pstate.load_hold_frames = 20;
  console.pstate.pause_state = 0;
  return true;
}

std::optional<int> start_command_line_cartridge(Console& console) {
  const ConsoleOptions& options = console.app.options;
  if (options.cart_to_load.empty()) return std::nullopt;
  // The cartridge may load the data file's own.
  cart::mount_embedded_cart_items(console.embedded_carts, console.app.data.embedded_carts);
  const int status = cart::load_working_cartridge(console.working, cartridge_host(console), options.cart_to_load);
  if (status != 0) {
    if (options.execute || options.export_mode) {
      write_standard_output(console, "could not load " + options.cart_to_load + "\n");
      return 1;
    }
    print_console_line(console, "could not load " + options.cart_to_load, 6);
    return std::nullopt;
  }
  if (options.export_mode) return run_sound_export(console);
  if (options.execute || options.run) {
    console.pstate.console_mode = kModeStopped;
    console.pstate.pending_action = kActionRun;
  }
  return std::nullopt;
}

}  // namespace tamori::shell
