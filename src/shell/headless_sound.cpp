#include "shell/headless_sound.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "audio/mixer_callback.h"
#include "host/clock.h"
#include "host/sha1.h"

namespace tamori::shell {

void record_owed_sound(Console& console, SoundRecording& recording) {
  const int32_t now_ms = host::ruvo_get_time_ms();
  if (!recording.start_ms) recording.start_ms = now_ms;
  const int64_t elapsed_ms = std::max<int64_t>(0, int64_t(now_ms) - *recording.start_ms);
  const size_t owed = size_t(elapsed_ms * audio::kSampleRate / 1000);
  audio::AudioState& audio = *console.audio;
  uint8_t stream[kHeadlessSoundBufferSamples * 2];
  while (recording.samples.size() < owed) {
    const size_t count = std::min<size_t>(owed - recording.samples.size(), kHeadlessSoundBufferSamples);
    audio::ruvo_mixer_callback(audio, stream, int(count * 2), audio::DeviceFormat{}, audio.device_registers,
                               audio.unsmoothed_serial_sound, now_ms);
    for (size_t i = 0; i < count; ++i)
      recording.samples.push_back(int16_t(uint16_t(stream[2 * i] | stream[2 * i + 1] << 8)));
  }
}

std::string sound_sha1_hex(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes;
  bytes.reserve(samples.size() * 2);
  for (int16_t sample : samples) {
    bytes.push_back(uint8_t(uint16_t(sample)));
    bytes.push_back(uint8_t(uint16_t(sample) >> 8));
  }
  return host::sha1_hex(bytes.data(), bytes.size());
}

int sound_rms(const std::vector<int16_t>& samples) {
  if (samples.empty()) return 0;
  double sum = 0;
  for (int16_t sample : samples) sum += double(sample) * sample;
  return int(std::lround(std::sqrt(sum / double(samples.size()))));
}

int sound_peak(const std::vector<int16_t>& samples) {
  int peak = 0;
  for (int16_t sample : samples) peak = std::max(peak, std::abs(int{sample}));
  return peak;
}

}  // namespace tamori::shell
