#include "capture/audio_recording.h"

#include <algorithm>

#include "audio/audio_lock.h"

namespace tamori::capture {
namespace {

void put_u32(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; i++) out[i] = uint8_t(value >> (8 * i));
}

void put_u16(uint8_t* out, uint16_t value) {
  out[0] = uint8_t(value);
  out[1] = uint8_t(value >> 8);
}

}  // namespace

std::array<uint8_t, kWavHeaderSize> wav_header(uint32_t data_length) {
  std::array<uint8_t, kWavHeaderSize> header{};
  uint8_t* h = header.data();
  std::copy_n("RIFF", 4, h);
  put_u32(h + 4, data_length + 36);
  std::copy_n("WAVEfmt ", 8, h + 8);
  put_u32(h + 16, 16);
  put_u16(h + 20, 1);  // PCM
  put_u16(h + 22, 1);  // mono
  put_u32(h + 24, uint32_t(audio::kSampleRate));
  put_u32(h + 28, uint32_t(audio::kSampleRate) * 2);
  put_u16(h + 32, 2);
  put_u16(h + 34, 16);
  std::copy_n("data", 4, h + 36);
  put_u32(h + 40, data_length);
  return header;
}

std::vector<uint8_t> wav_file_bytes(const std::vector<uint8_t>& samples) {
  const std::array<uint8_t, kWavHeaderSize> header = wav_header(uint32_t(samples.size()));
  std::vector<uint8_t> file(kWavHeaderSize + samples.size());
  std::copy(header.begin(), header.end(), file.begin());
  std::copy(samples.begin(), samples.end(), file.begin() + kWavHeaderSize);
  return file;
}

void start_audio_recording(AudioRecording& recording, audio::AudioState& audio) {
  audio::ScopedAudioLock lock(audio);
  recording.bytes.clear();
  recording.bytes.reserve(kFirstRecordingCapacity);
  recording.recording = true;
  audio.on_mixed = append_mixed_samples;
  audio.on_mixed_context = &recording;
}

bool stop_audio_recording(AudioRecording& recording, audio::AudioState& audio) {
  audio::ScopedAudioLock lock(audio);
  const bool was_recording = recording.recording;
  recording.recording = false;
  if (audio.on_mixed_context == &recording) {
    audio.on_mixed = nullptr;
    audio.on_mixed_context = nullptr;
  }
  return was_recording;
}

void append_mixed_samples(void* context, const int16_t* samples, int count) {
  AudioRecording& recording = *static_cast<AudioRecording*>(context);
  if (!recording.recording || count <= 0) return;
  const size_t start = recording.bytes.size();
  recording.bytes.resize(start + size_t(count) * 2);
  uint8_t* out = recording.bytes.data() + start;
  for (int i = 0; i < count; i++) put_u16(out + 2 * i, uint16_t(samples[i]));
}

}  // namespace tamori::capture
