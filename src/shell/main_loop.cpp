#include "shell/main_loop.h"

#include <algorithm>

#include "audio/audio_suspension.h"
#include "audio/heard_moment.h"
#include "host/clock.h"
#include "host/scancodes.h"
#include "input/button_update.h"
#include "input/keyboard_bindings.h"
#include "runner/program_runner.h"
#include "shell/boot.h"
#include "shell/cartridge_runner.h"
#include "shell/dropped_files.h"
#include "shell/reset_glitch.h"
#include "shell/extcmd.h"
#include "shell/running_keys.h"
#include "shell/system_commands.h"
#include "shell/key_config_screen.h"
#include "machine/memory.h"
#include "shell/audio_device.h"
#include "shell/console_capture.h"
#include "shell/message_bar.h"
#include "shell/pause_menu.h"

namespace tamori::shell {
namespace {

constexpr int32_t kOneTick = 0x10000;

// Mute and volume keys change what the options page shows.
void rebuild_open_pause_menu(Console& console) {
  if (console.pstate.pause_state == kPauseStateMainPage || console.pstate.pause_state == kPauseStateOptions)
    build_paused_menu(console);
}

void perform_pending_action(Console& console) {
  VmState& pstate = console.pstate;
  const int action = pstate.pending_action;
  if (action == kActionNone) return;
  pstate.glitch_frames = 0;
  switch (action) {
    case kActionRun:
      run_cart(console);
      if (pstate.console_mode == kModeBooting) pstate.console_mode = kModeStopped;
      break;
    case kActionReboot:
    case kActionRebootToo:
      reboot_machine(console);
      break;
    case kActionStop:
    case kActionStopWithError:
      if (pstate.console_mode == kModeRunning) {
        audio::suspend_audio(*console.audio);
        runner::suspend_program();
      }
      break;
    case kActionResetLanguage:
      runner::reset_lua_machine();
      pstate.program_running = false;
      break;
    default:
      break;
  }
  pstate.pending_action = kActionNone;
}

bool player0_pressed_any_button(const Console& console) {
  input::KeyContext context{console.pstate.program_running, console.pstate.pause_state != 0};
  for (int button = 0; button <= 5; button++)
    if (input::keyboard_button_pressed(console.app.keys, console_settings().button_keys, 0, button, context))
      return true;
  return false;
}

void handle_hot_keys(Console& console, int32_t now_ms) {
  const host::KeyStates& keys = console.app.keys;
  if (!keys.ctrl) return;
  using namespace host::scancode;
  if (host::key_pressed(keys, M)) toggle_mute(console, now_ms);
  if (host::key_pressed(keys, R) && console.pstate.console_mode == kModeRunning && request_reset_glitch(console, now_ms)) {
    console.pstate.pause_state = 0;
    console.app.typed_text.clear();
    console.input.keyboard.typed.clear();
    input::block_buttons(console.input, *console.machine);
  }
  if (host::key_pressed(keys, P) && console.pstate.console_mode == kModeRunning) {
    console.app.performance.shown = !console.app.performance.shown;
    input::block_buttons(console.input, *console.machine);
  }
  const bool volume_down_key = host::key_pressed(keys, Minus), volume_up_key = host::key_pressed(keys, Equals);
  if (volume_down_key) set_sound_volume(volume_down(host::ruvo_config().sound_volume));
  if (volume_up_key) set_sound_volume(volume_up(host::ruvo_config().sound_volume));
  if (volume_down_key || volume_up_key) {
    display_system_volume(console, now_ms);
    rebuild_open_pause_menu(console);
  }
}

}  // namespace

void update_console_buttons(Console& console) {
  input::InputState& input = console.input;
  const ConsoleSettings& settings = console_settings();
  input.settings.joystick_index = settings.joystick_index;
  input.settings.merge_joysticks = settings.merge_joysticks;
  input.settings.button_keys = settings.button_keys;
  input.conditions.program_running =
      console.pstate.console_mode == kModeRunning && console.pstate.program_running;
  input.conditions.pause_state_open = console.pstate.pause_state != 0;
  input.conditions.requested_fps = console.pstate.requested_fps;
  input::update_buttons(input, console.app.keys, *console.machine);
}

namespace {

// Controller notices are dropped during the boot sequence; the serial
// channels' message shows for its own time in all.
void show_input_messages(Console& console, int32_t now_ms) {
  std::vector<std::string>& notices = console.input.controllers.notices;
  if (console.pstate.console_mode != kModeBooting)
    for (const std::string& notice : notices) show_message(console.app.message, notice, 1000, now_ms);
  notices.clear();
  input::SerialState& serial = console.input.serial;
  if (!serial.pending_message.empty())
    show_message(console.app.message, serial.pending_message, serial.pending_message_ms - kMessageBaseMs, now_ms);
  serial.pending_message.clear();
}

// A tick while a pause state is open: the program does not run.
void run_paused_tick(Console& console) {
  input::replay_tick(console.input.replay, console.input.scripted_held);
  update_console_buttons(console);
  audio::refresh_heard_moment(*console.audio, host::ruvo_get_time_ms());
  switch (console.pstate.pause_state) {
    case kPauseStateKeyConfig:
      key_config_tick(console);
      break;
    default:
      process_paused_keypresses(console);
      break;
  }
  console.pstate.frame_accumulator -= kOneTick;
  record_tick_video(console, true);
  input::record_tick(console.input.recorder, console.input.held_bits);
}

void run_tick(Console& console) {
  VmState& pstate = console.pstate;
  input::replay_tick(console.input.replay, console.input.scripted_held);
  switch (pstate.console_mode) {
    case kModeStopped:
      update_console_buttons(console);
      key_config_tick(console);
      break;
    case kModeRunning:
      if (pstate.load_hold_frames > 0) {
        pstate.load_hold_frames--;
        break;
      }
      audio::refresh_heard_moment(*console.audio, host::ruvo_get_time_ms());
      pstate.load_hold_recent = std::clamp(pstate.load_hold_recent - 1, 0, 150);
      input::mouse_track_changes(console.input.mouse);
      collect_running_keys(console);
      if (!reset_glitch_holds_program(console)) runner::run_slice();
      take_key_config_request(console);
      break;
    case kModeBooting:
      move_boot(console);
      break;
    default:
      break;
  }
  advance_reset_glitch(console);
  pstate.frame_accumulator -= kOneTick;
  pstate.frame_counter++;
  pstate.odd_frame = !pstate.odd_frame;
  record_tick_video(console, false);
  input::record_tick(console.input.recorder, console.input.held_bits);
}

// Escape in a running program closes any pause state (the key-configuration
// screen undoing unfinished changes) and stays blocked until released. On
// the stopped screen it closes the key-configuration screen.
void handle_escape(Console& console) {
  VmState& pstate = console.pstate;
  if (!host::key_pressed(console.app.keys, host::scancode::Escape)) return;
  const bool key_config_closed = key_config_escape(console);
  if (pstate.console_mode == kModeRunning && pstate.pause_state != 0) {
    pstate.pause_state = 0;
    console.input.keyboard.typed.clear();
    console.input.conditions.pause_state_open = false;
    input::block_buttons(console.input, *console.machine);
  } else if (!key_config_closed) {
    return;
  }
  host::key_block(console.app.keys, host::scancode::Escape);
}

}  // namespace

int32_t advance_frame_accumulator(int32_t accumulator, int32_t dt_ms, int tick_rate, int current_fps) {
  dt_ms = std::min(dt_ms, kLongestGapMs);
  int64_t sum = int64_t(accumulator) + int64_t(int64_t(dt_ms) * 65536 / 1000) * tick_rate;
  const int64_t ceiling = current_fps == 60 ? 0x20000 : 0x1ffff;
  return int32_t(std::clamp<int64_t>(sum, 0, ceiling));
}

int skip_draw_bound(int sleep_ms) { return sleep_ms <= 0 ? 10000 : 100 / std::min(sleep_ms, 50); }

int applicable_sleep_ms(const Console& console) {
  const host::RuvoConfig& config = host::ruvo_config();
  int sleep = console.app.has_focus ? config.foreground_sleep_ms : config.background_sleep_ms;
  return std::clamp(sleep, 0, 200);
}

int32_t ms_until_tick_owed(int32_t accumulator, int tick_rate, int current_fps) {
  if (accumulator >= kOneTick) return 0;
  if (tick_rate <= 0) return kLongestGapMs;
  // Each millisecond adds floor(65.536) or floor(65.536) + 1 units per tick
  // of rate: start just below the estimate and step up to the exact answer.
  const int64_t units = (int64_t(kOneTick) - accumulator + tick_rate - 1) / tick_rate;
  int32_t ms = int32_t(std::max<int64_t>(0, units * 1000 / 65536 - 1));
  while (advance_frame_accumulator(accumulator, ms, tick_rate, current_fps) < kOneTick) ms++;
  return ms;
}

int iteration_sleep_ms(const Console& console, int32_t now_ms) {
  const int setting = applicable_sleep_ms(console);
  const VmState& pstate = console.pstate;
  if (console.app.headless || pstate.pending_action != kActionNone) return setting;
  const int tick_rate = pstate.pause_state != 0 ? 30 : pstate.current_fps;
  const int32_t due = ms_until_tick_owed(pstate.frame_accumulator, tick_rate, pstate.current_fps) -
                      (now_ms - pstate.last_t);
  return std::clamp(due, setting, std::max(setting, 100));
}

void set_sound_volume(int volume) {
  host::ruvo_config().sound_volume = volume;
  console_settings().volume = volume;
}

int volume_down(int volume) { return std::max(0, std::min(volume, 288) - 32); }

int volume_up(int volume) { return std::min(volume, 224) + 32; }

std::string volume_bar_text(int volume) {
  std::string text = " volume:   ";
  for (int threshold = 31; threshold <= 255; threshold += 32) text += volume > threshold ? char(16) : '-';
  return text + "   (ctrl-/+)";
}

void toggle_mute(Console& console, int32_t now_ms) {
  host::RuvoConfig& config = host::ruvo_config();
  if (config.sound_volume != 0) {
    set_sound_volume(0);
    show_message(console.app.message, "sound off (ctrl-m)", 1000, now_ms);
  } else {
    set_sound_volume(console.app.last_volume != 0 ? console.app.last_volume : 256);
    show_message(console.app.message, "sound on (ctrl-m)", 1000, now_ms);
  }
  config.music_volume = 256;
  rebuild_open_pause_menu(console);
}

void display_system_volume(Console& console, int32_t now_ms) {
  show_message(console.app.message, volume_bar_text(host::ruvo_config().sound_volume), 1500, now_ms);
  console.app.message.start_ms = now_ms - 1000;
}

bool should_be_pointer_locked(const Console& console) {
  const uint8_t flags = machine::read_memory_byte(*console.machine, input::kDeveloperFlagsAddress);
  return console.pstate.console_mode == kModeRunning && console.pstate.pause_state == 0 &&
         input::pointer_lock_requested(flags);
}

void ruvo_main_update(Console& console) {
  AppState& app = console.app;
  VmState& pstate = console.pstate;
  host::RuvoConfig& config = host::ruvo_config();
  const int32_t now = host::ruvo_get_time_ms();

  if (now - app.last_rate_limit_reset_ms >= 60000) {
    app.last_rate_limit_reset_ms = now;
    reset_command_rate_limits(console);
  }
  update_emergency_paused_menu(console, now,
                               pstate.console_mode == kModeRunning && pstate.pause_state == 0 && pstate.program_running);
  handle_dropped_file(console);

  if (config.sound_volume != 0) app.last_volume = config.sound_volume;
  config.music_volume = 256;

  if (app.platform.set_pointer_lock)
    app.platform.set_pointer_lock(app.platform.context, should_be_pointer_locked(console));

  handle_hot_keys(console, now);
  sync_audio_settings(console);
  perform_pending_action(console);

  if (pstate.console_mode != kModeRunning) {
    pstate.pause_state = 0;
    pstate.current_fps = 30;
  }

  const int tick_rate = pstate.pause_state != 0 ? 30 : pstate.current_fps;
  pstate.frame_accumulator = advance_frame_accumulator(pstate.frame_accumulator, now - pstate.last_t, tick_rate,
                                                       pstate.current_fps);
  pstate.last_t = now;

  if (pstate.pause_state != 0) {
    if (pstate.frame_accumulator >= kOneTick) run_paused_tick(console);
  } else {
    const bool no_tick_owed = pstate.frame_accumulator < kOneTick;
    const bool mouse_counts = app.mouse_moved && pstate.console_mode != kModeRunning && !app.keys.shift;
    const bool may_skip = (no_tick_owed && !mouse_counts) ||
                          (pstate.console_mode != kModeRunning && pstate.frame_accumulator < 0x8000);
    if (may_skip) {
      if (app.frames_skipped_in_sequence < skip_draw_bound(applicable_sleep_ms(console))) app.skip_draw = true;
      app.frames_skipped_in_sequence++;
    } else {
      app.frames_skipped_in_sequence = 0;
    }
    // A program that opens a pause state (keyconfig) stops being ticked.
    while (pstate.frame_accumulator >= kOneTick && pstate.pause_state == 0) run_tick(console);
  }

  if (pstate.console_mode == kModeRunning && pstate.program_running) {
    constexpr uint32_t kAudioPauseAddress = 0x5f2f;
    audio::determine_audio_pause_state(*console.audio, machine::read_memory_byte(*console.machine, kAudioPauseAddress),
                                       pstate.pause_state != 0 || runner::program_runner().menu_item_chosen);
  }

  // The key-configuration screen takes every key while it is open.
  if (pstate.console_mode == kModeStopped && !console.input.key_config.open && player0_pressed_any_button(console))
    app.quit = true;
  if (pstate.console_mode == kModeStopped) {
    // A paged listing goes on two pages an iteration.
    continue_listing(console);
    continue_listing(console);
  }
  handle_escape(console);
  handle_capture_keys(console, now);
  show_input_messages(console, now);
}

}  // namespace tamori::shell
