// The sound a device would have played during a headless run: after each
// frame the mixer's device callback fills device-sized buffers up to the
// virtual time. The tamori_run tool writes it as WAV; the golden sound tests
// hash it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/console_state.h"

namespace tamori::shell {

// Buffers of this many samples, as the audio thread would ask for them.
constexpr int kHeadlessSoundBufferSamples = 1024;

struct SoundRecording {
  std::vector<int16_t> samples;
  std::optional<int32_t> start_ms;  // host time of the first frame recorded
};

// Mixes what the device would have played since the first call up to the
// host clock's now.
void record_owed_sound(Console& console, SoundRecording& recording);

// SHA-1 of the samples as little-endian 16-bit bytes, in hexadecimal.
std::string sound_sha1_hex(const std::vector<int16_t>& samples);
// Root mean square and largest magnitude of the samples (0 when empty).
int sound_rms(const std::vector<int16_t>& samples);
int sound_peak(const std::vector<int16_t>& samples);

}  // namespace tamori::shell
