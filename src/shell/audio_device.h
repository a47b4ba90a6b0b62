// The console's side of the audio device: opening it at start-up with the
// mixer as its callback, closing it at shutdown, and handing the settings
// and machine registers that the mixer reads over to the sound state.
#pragma once

#include "shell/console_state.h"

namespace tamori::shell {

// Opens the device at 22050 Hz mono with `mix_buffer_size` samples and
// connects the audio lock to it. Headless consoles, a buffer size of 0 and a
// failed open (logged by the host) leave the console without a device; the
// sound state then works silently.
void open_audio_device(Console& console);
// Stops the music and closes the device; the lock counts without it again.
void close_audio_device(Console& console);
// Once an iteration: the master and music volumes from the settings and the
// audio registers from memory, under the audio lock.
void sync_audio_settings(Console& console);

}  // namespace tamori::shell
