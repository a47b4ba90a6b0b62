#include "shell/sound_input_hooks.h"

#include "audio/audio_suspension.h"
#include "audio/serial_sound.h"
#include "audio/sfx_playback.h"
#include "input/button_update.h"
#include "input/serial_functions.h"
#include "runner/program_runner.h"

namespace tamori::shell {
namespace {

void append_serial_samples(void* context, const uint8_t* samples, size_t count) {
  auto* audio = static_cast<audio::AudioState*>(context);
  // The ring holds far fewer bytes than an int; longer requests are cut
  // to what can be counted and the ring drops what does not fit.
  constexpr size_t kLongestRequest = 0x10000;
  audio::queue_serial_sound(*audio, samples, int(count < kLongestRequest ? count : kLongestRequest));
}

void clear_serial_samples(void* context) { audio::clear_serial_sound(*static_cast<audio::AudioState*>(context)); }

}  // namespace

void connect_sound_and_input(Console& console) {
  runner::RunnerHost& host = runner::program_runner().host;
  host.audio = console.audio.get();
  host.input = &console.input;
  host.keys = &console.app.keys;
  host.read_buttons = [&console]() { input::read_buttons(console.input, console.app.keys, *console.machine); };
  host.pause_sound = [&console]() { audio::suspend_audio(*console.audio); };
  host.resume_sound = [&console]() { audio::resume_audio(*console.audio); };
  host.frame_started = [&console]() { input::serial_frame_start(console.input.serial); };
  host.frame_ended = [&console]() { input::serial_frame_end(console.input.serial, *console.machine); };
  console.input.serial.audio = {console.audio.get(), append_serial_samples, clear_serial_samples};
}

void start_run_sound_and_input(Console& console) {
  input::serial_run_start(console.input.serial);
  audio::stop_all_sounds(*console.audio);
  if (console.pstate.console_mode == kModeRunning) audio::resume_audio(*console.audio);
}

}  // namespace tamori::shell
