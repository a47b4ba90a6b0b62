// Ten seconds of sound with all eight mixed channels busy (every waveform,
// note effects, custom instruments, reverb, dampening and the register
// filters) against the same ten seconds with every channel idle. The counter
// "host_per_real" is host seconds spent per second of sound.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "audio/audio_state.h"
#include "audio/mixer.h"
#include "audio/sfx_playback.h"

namespace {

using namespace tamori::audio;

constexpr int kSeconds = 10;
constexpr int kCallbackSamples = 1024;

void fill_busy_effects(SoundEffect* effects) {
  for (int index = 0; index < kSoundEffectCount; ++index) {
    SoundEffect& effect = effects[index];
    for (int note = 0; note < kNotesPerSoundEffect; ++note) {
      effect.notes[note].pitch = static_cast<uint8_t>((index * 5 + note * 7) % 64);
      effect.notes[note].waveform = static_cast<uint8_t>((index + note) % 8);
      effect.notes[note].volume = static_cast<uint8_t>(1 + (note + index) % 7);
      effect.notes[note].effect = static_cast<uint8_t>((note / 2 + index) % 8);
      effect.notes[note].custom_instrument = index >= 8 && note % 3 == 0;
    }
    effect.speed = static_cast<uint8_t>(index < 8 ? 2 + index : 3 + index % 13);
    // Every effect reverberates and is dampened; buzz, noiz and detune vary.
    const int detune = index % 3;
    const int reverb = 1 + index % 2;
    const int dampen = 1 + (index / 2) % 2;
    effect.filter_bits = static_cast<uint8_t>((detune + 3 * reverb + 9 * dampen) << 3 |
                                              (index & 1 ? kFilterBuzz : 0) | (index & 2 ? kFilterNoiz : 0));
    effect.loop_start = 0;
    effect.loop_end = 32;  // loop so that nothing ends during the run
  }
  effects[3].loop_start = 0x80;  // one waveform instrument among instruments 0..7
  effects[3].loop_end = 0;
}

void render_seconds(AudioState& audio, const AudioRegisters& registers, std::vector<int16_t>& buffer) {
  for (int done = 0; done < kSeconds * kSampleRate; done += kCallbackSamples)
    mix_audio(audio, buffer.data(), kCallbackSamples, registers);
}

void BM_TenSecondsAllChannelsBusy(benchmark::State& bench) {
  static SoundEffect effects[kSoundEffectCount];
  fill_busy_effects(effects);
  auto audio = std::make_unique<AudioState>();
  const AudioRegisters registers = {0x03, 0x20, 0x40, 0x84};
  for (int channel = 0; channel < kMixedChannelCount; ++channel)
    ruvo_play_sfx_ex(*audio, 8 + channel * 3, 0, 0, effects, channel);
  std::vector<int16_t> buffer(kCallbackSamples);
  for (auto _ : bench) {
    render_seconds(*audio, registers, buffer);
    benchmark::DoNotOptimize(buffer.data());
  }
  for (int channel = 0; channel < kMixedChannelCount; ++channel)
    if (!audio->channels[channel].effect) bench.SkipWithError("a channel fell idle during the run");
  bench.counters["host_per_real"] =
      benchmark::Counter(static_cast<double>(kSeconds) * bench.iterations(),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TenSecondsAllChannelsBusy)->Unit(benchmark::kMillisecond);

// Reference: the same mixing step with nothing playing.
void BM_TenSecondsAllChannelsIdle(benchmark::State& bench) {
  auto audio = std::make_unique<AudioState>();
  const AudioRegisters registers = {};
  std::vector<int16_t> buffer(kCallbackSamples);
  for (auto _ : bench) {
    render_seconds(*audio, registers, buffer);
    benchmark::DoNotOptimize(buffer.data());
  }
  bench.counters["host_per_real"] =
      benchmark::Counter(static_cast<double>(kSeconds) * bench.iterations(),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TenSecondsAllChannelsIdle)->Unit(benchmark::kMillisecond);

}  // namespace
