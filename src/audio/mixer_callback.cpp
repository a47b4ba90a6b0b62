#include "audio/mixer_callback.h"

#include <algorithm>
#include <cstring>

#include "audio/heard_moment.h"
#include "audio/mixer.h"
#include "audio/serial_sound.h"

namespace tamori::audio {

void ruvo_mixer_callback(AudioState& audio, uint8_t* stream, int length, const DeviceFormat& format,
                         const AudioRegisters& registers, bool unsmoothed_serial_sound, int32_t now_ms) {
  if (!stream || length <= 0) return;
  std::memset(stream, 0, static_cast<size_t>(length));
  if (audio.suspension != 0 || format.rate != kSampleRate || format.channels != 1) return;

  // Mixed in place, a stretch at a time, so that no buffer is allocated here.
  int16_t samples[kChannelBufferSamples];
  int remaining = length / 2;
  note_callback_timing(audio, remaining, now_ms);
  uint8_t* out = stream;
  while (remaining > 0) {
    const int count = std::min(remaining, kChannelBufferSamples);
    mix_audio(audio, samples, count, registers);
    add_serial_sound(audio, samples, count, unsmoothed_serial_sound);
    if (audio.on_mixed) audio.on_mixed(audio.on_mixed_context, samples, count);
    // The device wants little-endian bytes; write them without assuming
    // the stream is aligned for 16-bit access.
    for (int i = 0; i < count; ++i) {
      const uint16_t bits = static_cast<uint16_t>(samples[i]);
      *out++ = static_cast<uint8_t>(bits & 0xff);
      *out++ = static_cast<uint8_t>(bits >> 8);
    }
    remaining -= count;
  }
}

}  // namespace tamori::audio
