#include "shell/console_capture.h"

#include <algorithm>

#include "capture/gif_writer.h"
#include "capture/screenshot.h"
#include "capture/sound_export.h"
#include "capture/video_ring.h"
#include "host/clock.h"
#include "host/files.h"
#include "host/keys.h"
#include "host/log.h"
#include "host/scancodes.h"
#include "machine/display_memory.h"
#include "runner/program_runner.h"
#include "shell/cartridge_runner.h"
#include "shell/message_bar.h"
#include "shell/system_commands.h"

namespace tamori::shell {
namespace {

// Message bar times beyond the bar's own 400 ms: 1400 and 1900 ms in all
// for the capture keys, extcmd's usual time for its words.
constexpr int kShortMessageMs = 1000;
constexpr int kLongMessageMs = 1500;
constexpr int kExtcmdMessageMs = 1500;

void show(Console& console, const std::string& text, int extra_ms) {
  show_message(console.app.message, text, extra_ms, host::ruvo_get_time_ms());
}

int video_capacity_now(const Console& console) {
  return capture::video_capacity(console_settings().gif_len, console.capture.video.record_every_flip);
}

void record_shown_screen(Console& console, int copies) {
  machine::Picture picture;
  shown_screen(console, picture);
  const int capacity = video_capacity_now(console);
  for (int i = 0; i < copies; i++) capture::record_video_frame(console.capture.video, picture, capacity);
}

void capture_label(Console& console) {
  machine::Picture picture;
  shown_screen(console, picture);
  console.working.cartridge->label.assign(picture.begin(), picture.end());
}

std::string gif_message(const SavedGif& gif, bool to_output_folder) {
  std::string text = "saved " + std::to_string(gif.seconds) + " second gif";
  return to_output_folder ? text : text + " to desktop";
}

void end_audio_recording(Console& console, bool to_output_folder) {
  capture::AudioRecording& recording = console.capture.audio;
  if (!capture::stop_audio_recording(recording, *console.audio)) {
    command_print(console, "no recording in progress", 6);
    return;
  }
  const std::optional<std::string> path =
      capture::output_file_name(console_output_naming(console), "wav", to_output_folder, capture::local_time_now());
  const std::vector<uint8_t> file = capture::wav_file_bytes(recording.bytes);
  if (path) host::ruvo_log("saving wav to: %s\n", path->c_str());
  // A recording that could not be written is kept until the next one starts.
  if (!path || !host::write_file(*path, file.data(), file.size())) show(console, "** could not save audio", kExtcmdMessageMs);
}

}  // namespace

void shown_screen(const Console& console, machine::Picture& picture) {
  const VmState& pstate = console.pstate;
  if (pstate.program_running && pstate.console_mode == kModeRunning) {
    // An unfinished frame is not shown half-drawn: the previous picture is.
    if (pstate.load_hold_frames > 0 || runner::program_runner().hold_flag)
      picture = console.app.output_image;
    else
      machine::compose_program_picture(*console.machine, 0, picture);
    return;
  }
  const machine::DisplayRegisters plain;
  machine::compose_output_image(console.app.console_text.pixels.data(), plain, false, picture);
}

capture::OutputNaming console_output_naming(const Console& console) {
  capture::OutputNaming naming;
  naming.base = capture::output_name_base(console.app.data.title);
  naming.chosen_name = capture::chosen_output_name(console.commands.output_base_name);
  naming.timestamps = console_settings().capture_timestamps != 0;
  naming.desktop_folder = host::ruvo_config().desktop_path;
  naming.data_folder = console.app.data_folder;
  return naming;
}

bool take_screenshot(Console& console, int scale, bool to_output_folder) {
  const std::optional<std::string> path =
      capture::output_file_name(console_output_naming(console), "png", to_output_folder, capture::local_time_now());
  if (!path) return false;
  machine::Picture picture;
  shown_screen(console, picture);
  return capture::save_screenshot(picture, console.app.palette, scale > 0 ? scale : console_settings().screenshot_scale,
                                  *path);
}

SavedGif save_recorded_gif(Console& console, int scale, bool to_output_folder) {
  const capture::VideoRing& ring = console.capture.video;
  if (ring.count == 0) return {capture::kGifNoFrames, 0};
  const std::optional<std::string> path =
      capture::output_file_name(console_output_naming(console), "gif", to_output_folder, capture::local_time_now());
  if (!path) {
    host::ruvo_log("** no folder for the gif\n");
    return {capture::kGifFailed, 0};
  }
  const int status =
      capture::save_gif(ring, console.app.palette, scale > 0 ? scale : console_settings().gif_scale, *path);
  return {status, capture::gif_length_seconds(ring.count)};
}

void record_tick_video(Console& console, bool paused) {
  if (console.capture.video.record_every_flip || video_capacity_now(console) == 0) return;
  int copies = 1;
  if (!paused && console.pstate.current_fps == 60) copies = console.pstate.odd_frame ? 1 : 0;
  if (!paused && console.pstate.current_fps == 15) copies = 2;
  if (copies > 0) record_shown_screen(console, copies);
}

void handle_capture_keys(Console& console, int32_t now_ms) {
  const host::KeyStates& keys = console.app.keys;
  if (keys.alt) return;
  using namespace host::scancode;
  const bool function_keys = console_settings().allow_function_keys != 0;
  auto pressed = [&](int digit, int first_function_key, int second_function_key) {
    return (keys.ctrl && host::key_pressed(keys, digit)) ||
           (function_keys && (host::key_pressed(keys, first_function_key) || host::key_pressed(keys, second_function_key)));
  };
  MessageBar& bar = console.app.message;
  if (pressed(Digit6, F1, F6)) {
    if (take_screenshot(console, 0, false))
      show_message(bar, "saved screenshot to desktop", kShortMessageMs, now_ms);
    else
      show_message(bar, "** failed to save screenshot", kLongMessageMs, now_ms);
  }
  if (pressed(Digit8, F3, F8)) {
    capture::reset_video(console.capture.video);
    show_message(bar, "set video starting point", kShortMessageMs, now_ms);
  }
  if (pressed(Digit9, F4, F9)) {
    const SavedGif gif = save_recorded_gif(console, 0, false);
    if (gif.status == capture::kGifSaved) {
      show_message(bar, gif_message(gif, false), kLongMessageMs, now_ms);
      if (console_settings().gif_reset_mode) capture::reset_video(console.capture.video);
    } else if (gif.status == capture::kGifNoFrames) {
      show_message(bar, "no video recorded (rec: ctrl-8)", kLongMessageMs, now_ms);
    } else {
      show_message(bar, "** failed to save video", kLongMessageMs, now_ms);
    }
  }
}

bool capture_extcmd(Console& console, const std::string& command, const ExtcmdRequest& request) {
  const bool to_output_folder = request.b >= 1;
  if (command == "label") {
    capture_label(console);
    show(console, "saved label", kExtcmdMessageMs);
  } else if (command == "screen") {
    const int scale = std::min(request.a, capture::kMaxScreenshotScale);
    if (!take_screenshot(console, scale, to_output_folder))
      show(console, "** could not save screenshot", kExtcmdMessageMs);
    else
      show(console, to_output_folder ? "saved image" : "saved screenshot to desktop", kExtcmdMessageMs);
  } else if (command == "rec") {
    capture::reset_video(console.capture.video);
  } else if (command == "rec_frames") {
    capture::reset_video(console.capture.video);
    console.capture.video.record_every_flip = true;
  } else if (command == "video") {
    const SavedGif gif = save_recorded_gif(console, request.a, to_output_folder);
    console.capture.video.record_every_flip = false;
    if (gif.status == capture::kGifNoFrames)
      show(console, "no video recorded (0 frames)", kExtcmdMessageMs);
    else if (gif.status == capture::kGifSaved)
      show(console, gif_message(gif, to_output_folder), kExtcmdMessageMs);
    else
      show(console, "** could not save gif", kExtcmdMessageMs);
  } else if (command == "audio_rec") {
    capture::start_audio_recording(console.capture.audio, *console.audio);
  } else if (command == "audio_end") {
    end_audio_recording(console, request.a >= 1);
  } else if (command == "folder") {
    if (std::optional<std::string> folder = capture::output_folder(console_output_naming(console), true))
      open_host_folder(console, *folder);
  } else {
    return false;
  }
  return true;
}

void connect_flip_recording(Console& console) {
  runner::RunnerHost& host = runner::program_runner().host;
  std::function<void()> earlier = host.frame_ended;
  host.frame_ended = [&console, earlier]() {
    if (earlier) earlier();
    if (console.capture.video.record_every_flip) record_shown_screen(console, 1);
  };
}

int run_sound_export(Console& console) {
  const cart::Cartridge& cartridge = *console.working.cartridge;
  capture::SoundExport request;
  request.name = console.app.options.export_name;
  if (!capture::is_sound_export_name(request.name)) {
    write_standard_output(console, "export is unavailable\n");
    return 0;
  }
  capture::export_sound(*console.audio, cartridge.sound_effects.data(), cartridge.music.data(), request,
                        [&console](const std::string& line) { write_standard_output(console, line + "\n"); });
  return 0;
}

}  // namespace tamori::shell
