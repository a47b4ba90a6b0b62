#include "shell/audio_device.h"

#include <algorithm>

#include "audio/audio_lock.h"
#include "audio/mixer_callback.h"
#include "audio/music_sequencer.h"
#include "host/clock.h"
#include "host/log.h"
#include "machine/memory.h"

namespace tamori::shell {
namespace {

constexpr uint32_t kAudioRegistersAddress = 0x5f40;
constexpr uint32_t kMiscellaneousFlagsAddress = 0x5f36;
constexpr uint8_t kUnsmoothedSerialSoundFlag = 0x20;

void mix_for_device(void* user, uint8_t* stream, int length) {
  Console& console = *static_cast<Console*>(user);
  audio::AudioState& audio = *console.audio;
  const audio::DeviceFormat format{console.app.audio_format.rate, console.app.audio_format.channels};
  audio::ruvo_mixer_callback(audio, stream, length, format, audio.device_registers, audio.unsmoothed_serial_sound,
                             host::ruvo_get_time_ms());
}

}  // namespace

void open_audio_device(Console& console) {
  AppState& app = console.app;
  const host::RuvoConfig& config = host::ruvo_config();
  if (app.headless || config.mix_buffer_size <= 0 || !app.platform.open_audio) return;
  host::AudioRequest request;
  request.rate = audio::kSampleRate;
  request.channels = 1;
  request.buffer_samples = config.mix_buffer_size;
  sync_audio_settings(console);
  if (!app.platform.open_audio(app.platform.context, request, mix_for_device, &console, app.audio_format)) {
    host::ruvo_log("running without sound\n");
    return;
  }
  app.audio_open = true;
  // The callback is already running: take the device lock from here on.
  audio::AudioLock& lock = console.audio->lock;
  lock.lock_device = app.platform.lock_audio;
  lock.unlock_device = app.platform.unlock_audio;
  lock.context = app.platform.context;
}

void close_audio_device(Console& console) {
  AppState& app = console.app;
  audio::stop_music_with_fade(*console.audio, 0, host::ruvo_get_time_ms());
  if (!app.audio_open) return;
  if (app.platform.close_audio) app.platform.close_audio(app.platform.context);
  console.audio->lock = {};
  app.audio_open = false;
}

void sync_audio_settings(Console& console) {
  const host::RuvoConfig& config = host::ruvo_config();
  const machine::MachineState& machine = *console.machine;
  audio::AudioState& audio = *console.audio;
  audio::ScopedAudioLock lock(audio);
  audio.sound_volume = std::clamp(config.sound_volume, 0, 256);
  audio.music.music_volume = std::clamp(config.music_volume, 0, 256);
  for (uint32_t k = 0; k < 4; ++k)
    audio.device_registers[k] = machine::read_memory_byte(machine, kAudioRegistersAddress + k);
  audio.unsmoothed_serial_sound = machine::read_memory_byte(machine, kMiscellaneousFlagsAddress) &
                                  kUnsmoothedSerialSoundFlag;
}

}  // namespace tamori::shell
