// The console's long-lived state records, created at start-up and kept until
// exit:
//   app     the application: paths, options, message bar, console text
//           screen, back page and the loop's bookkeeping;
//   pstate  the virtual machine: console mode, pause state, pending action,
//           frame counter and rate, tick accumulator;
//   audio   the sound state that the audio device's thread mixes from;
//   cconfig the framework settings (host::ruvo_config()), with the copy taken
//           when they were loaded.
// Other subsystems never start or stop programs themselves: they leave a
// pending action that the next tick performs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "capture/capture_state.h"
#include "cart/embedded_carts.h"
#include "cart/working_cartridge.h"
#include "audio/audio_state.h"
#include "host/config.h"
#include "host/console_data.h"
#include "host/keys.h"
#include "host/platform.h"
#include "runner/run_control.h"
#include "lang/api.h"
#include "input/input_state.h"
#include "machine/display.h"
#include "machine/interface_text.h"
#include "machine/machine_state.h"
#include "machine/memory_files.h"
#include "machine/print_state.h"
#include "shell/boot_state.h"
#include "shell/pause_menu_state.h"
#include "shell/command_state.h"
#include "shell/performance_monitor.h"
#include "shell/settings.h"

namespace tamori::shell {

using runner::ConsoleMode;
using runner::kModeBooting;
using runner::kModeRunning;
using runner::kModeStopped;
using runner::PendingAction;
using runner::kActionNone;
using runner::kActionRun;
using runner::kActionStop;
using runner::kActionReboot;
using runner::kActionStopWithError;
using runner::kActionRebootToo;
using runner::kActionResetLanguage;

// Until this much of the first iteration's gap is clamped away, the console
// behaves as if a long time had passed since the previous iteration.
inline constexpr int32_t kFirstIterationGapMs = 72000000;
inline constexpr int32_t kLongestGapMs = 32000;

struct MessageBar {
  std::string text;
  int32_t start_ms = 0;
  int32_t end_ms = 0;
  uint8_t colour = 15;
  std::string hover_text;
};

struct ConsoleTextScreen {
  machine::Picture pixels{};
  int cursor_x = 0;
  int cursor_y = 0;
};

// console_mode, pending_action, program_running and the frame rates come
// from the runner's RunControl.
struct VmState : runner::RunControl {
  int pause_state = 0;
  std::string pending_error_text;
  int32_t frame_counter = 0;
  int32_t frame_accumulator = 0;  // 16.16 ticks owed
  int32_t last_t = 0;
  bool odd_frame = false;
  int load_hold_frames = 0;
  int load_hold_recent = 0;
  int glitch_frames = 0;
};

struct AppState {
  std::string title = "tamori";
  std::string program_folder;
  std::string data_folder;
  std::string data_file_path;
  ConsoleOptions options;
  host::ConsoleData data;
  machine::Palette palette{};

  MessageBar message;
  int last_volume = 0;
  int frames_skipped_in_sequence = 0;
  bool skip_draw = false;
  bool quit = false;
  bool headless = false;
  bool has_focus = true;
  bool mouse_moved = false;
  int draw_count = 0;
  int32_t fifth_draw_ms = 0;
  int32_t last_rate_limit_reset_ms = 0;

  host::KeyStates keys;
  // The file the host reported dropped on the window, for the next update.
  std::string dropped_path;
  // UTF-8 text the host reported typed, not yet taken by a running tick.
  std::string typed_text;
  ConsoleTextScreen console_text;
  machine::Picture output_image{};
  machine::BackPage back_page;
  machine::FlickerState flicker;
  std::vector<uint32_t> argb_frame;
  int32_t smoothed_fps = 0;  // 16.16
  int32_t frame_start_ms = 0;
  int32_t last_draw_ms = 0;  // composing and presenting the last drawn frame
  PerformanceMonitor performance;
  host::Platform platform;
  // Set by headless tools that need the same random numbers on every run.
  std::optional<uint32_t> fixed_random_seed;
  // Where standard-output text goes (printh, console printing in execute
  // mode); unset: the process's standard output.
  std::function<void(std::string_view text)> write_stdout;
  // Extra functions for every new language state (tools and tests).
  std::function<void(lang::ThreadState* state)> register_functions;
  bool audio_open = false;
  host::AudioFormat audio_format;  // what the open device runs at
};

struct Console {
  AppState app;
  VmState pstate;
  // The 64 KB machine: memory map, registers and pixel pages.
  std::unique_ptr<machine::MachineState> machine = std::make_unique<machine::MachineState>();
  // Channels, music and mixer state, shared with the audio device's thread.
  std::unique_ptr<audio::AudioState> audio = std::make_unique<audio::AudioState>();
  // The printer's built-in font and the print that may be waiting for
  // frames; the beep a printed sound command plays.
  std::unique_ptr<machine::TextState> text = std::make_unique<machine::TextState>();
  std::unique_ptr<audio::SoundEffect> print_beep = std::make_unique<audio::SoundEffect>();
  host::RuvoConfig loaded_config;  // cconfig as it was read from the file
  // The cartridge that runs, and the reload/cstore view of it.
  cart::WorkingCartridge working;
  machine::CartridgeStorage storage;
  // The data file's cartridges, mounted at the boot's head-cartridge step
  // (cart::mount_embedded_carts).
  cart::EmbeddedCarts embedded_carts;
  // The system commands' folder, confirmations and limits.
  CommandState commands;
  // Buttons, controllers, developer mouse and keyboard, serial channels.
  input::InputState input;
  // The open pause-menu page's items and the emergency pause hold.
  PauseMenu pause;
  // The boot sequence's progress, and the sound it plays (the data file's
  // boot cartridge's effect 0).
  BootState boot;
  std::unique_ptr<audio::SoundEffect> boot_sound = std::make_unique<audio::SoundEffect>();
  // The last cartridge dropped on the window, for load("@dropped").
  std::unique_ptr<cart::Cartridge> dropped_cartridge;
  // The video ring and the audio recording.
  capture::CaptureState capture;
};

}  // namespace tamori::shell
