// Live audio recording: while on, every buffer the mixer produces for the
// device is appended (on the audio thread) to a growable buffer, which is
// saved as a WAV file when the recording ends.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_state.h"

namespace tamori::capture {

inline constexpr std::size_t kWavHeaderSize = 44;
inline constexpr std::size_t kFirstRecordingCapacity = 352000;

struct AudioRecording {
  std::vector<uint8_t> bytes;  // 16-bit little-endian mono samples
  bool recording = false;
};

// The 44-byte header of a 22050 Hz mono 16-bit PCM WAV file holding
// `data_length` bytes of samples.
std::array<uint8_t, kWavHeaderSize> wav_header(uint32_t data_length);

// A WAV file's bytes: the header, then the samples.
std::vector<uint8_t> wav_file_bytes(const std::vector<uint8_t>& samples);

// Starts (restarts) recording from the mixer of `audio`.
void start_audio_recording(AudioRecording& recording, audio::AudioState& audio);

// Stops appending. False when no recording was in progress.
bool stop_audio_recording(AudioRecording& recording, audio::AudioState& audio);

// The mixer's capture hook: `context` is the AudioRecording.
void append_mixed_samples(void* context, const int16_t* samples, int count);

}  // namespace tamori::capture
