// The audio device's callback: the mixing step for one device buffer, plus
// what only the live device needs: the estimate of when the buffer is heard,
// the serial sound and the capture hook.
#pragma once

#include <cstdint>

#include "audio/audio_state.h"

namespace tamori::audio {

// The format the device actually runs at.
struct DeviceFormat {
  int rate = kSampleRate;
  int channels = 1;
};

// Fills `length` bytes of `stream` with signed 16-bit samples. Silence when
// the audio is suspended or the device runs at any format other than 22050 Hz
// mono. `now_ms` is the host clock; `unsmoothed_serial_sound` is bit 5 of
// 0x5f36. Called under the device lock.
void ruvo_mixer_callback(AudioState& audio, uint8_t* stream, int length, const DeviceFormat& format,
                         const AudioRegisters& registers, bool unsmoothed_serial_sound, int32_t now_ms);

}  // namespace tamori::audio
