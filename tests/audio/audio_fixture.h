// Shared set-up of the synthesis tests: a fresh sound state, a table of 64
// effects to play from, zeroed audio registers, and helpers that render
// whole ticks and measure the result.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "audio/audio_state.h"
#include "audio/channel_render.h"
#include "audio/mixer.h"
#include "audio/sound_records.h"

namespace tamori::audio::testing {

struct AudioFixture : ::testing::Test {
  std::unique_ptr<AudioState> audio = std::make_unique<AudioState>();
  SoundEffect effects[kSoundEffectCount];
  AudioRegisters registers = {};

  AudioFixture() {
    // The channels start with an unused tick buffer; play it out so that
    // every later tick of rendering computes a fresh tick.
    for (int channel = 0; channel < kMixChannelCount; ++channel)
      render_channel(*audio, channel, kTickSamples, registers);
  }

  // Effect `index` reset, with every note set to `note`.
  SoundEffect& fill_effect(int index, SoundNote note, int speed) {
    SoundEffect& effect = effects[index];
    effect = SoundEffect{};
    for (SoundNote& each : effect.notes) each = note;
    effect.speed = static_cast<uint8_t>(speed);
    return effect;
  }

  // Renders `ticks` ticks of one channel and returns its samples.
  std::vector<int16_t> render_ticks(int channel, int ticks) {
    std::vector<int16_t> out;
    for (int i = 0; i < ticks; ++i) {
      render_channel(*audio, channel, kTickSamples, registers);
      out.insert(out.end(), audio->channels[channel].samples, audio->channels[channel].samples + kTickSamples);
    }
    return out;
  }

  std::vector<int16_t> mix(int samples) {
    std::vector<int16_t> out(samples);
    mix_audio(*audio, out.data(), samples, registers);
    return out;
  }
};

// Upward zero crossings in samples [begin, end).
inline int upward_zero_crossings(const std::vector<int16_t>& samples, size_t begin, size_t end) {
  int crossings = 0;
  for (size_t i = begin + 1; i < end && i < samples.size(); ++i)
    if (samples[i - 1] < 0 && samples[i] >= 0) ++crossings;
  return crossings;
}

inline int peak(const std::vector<int16_t>& samples, size_t begin, size_t end) {
  int largest = 0;
  for (size_t i = begin; i < end && i < samples.size(); ++i) largest = std::max(largest, std::abs(int{samples[i]}));
  return largest;
}

}  // namespace tamori::audio::testing
