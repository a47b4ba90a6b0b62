// Ten seconds of music through the device callback, with a pattern change on
// every tick and serial sound queued before every callback, against the same
// callback with nothing playing. The counter "host_per_real" is host seconds
// spent per second of sound.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "audio/audio_state.h"
#include "audio/mixer_callback.h"
#include "audio/music_function.h"
#include "audio/serial_sound.h"

namespace {

using namespace tamori::audio;

constexpr int kSeconds = 10;
constexpr int kCallbackSamples = 1024;

struct Song {
  SoundEffect effects[kSoundEffectCount];
  MusicPattern patterns[kMusicPatternCount];

  Song() {
    for (int index = 0; index < 4; ++index) {
      for (int note = 0; note < kNotesPerSoundEffect; ++note)
        effects[index].notes[note] = {uint8_t((index * 9 + note * 5) % 64), uint8_t(index), 5, 0, false};
      effects[index].speed = 1;
      effects[index].loop_start = 1;  // one note: every pattern lasts one tick
    }
    for (int pattern = 0; pattern < kMusicPatternCount; ++pattern)
      patterns[pattern] = {{uint8_t(pattern % 4), uint8_t((pattern + 1) % 4), uint8_t((pattern + 2) % 4), 3}, 0};
    patterns[kMusicPatternCount - 1].flags = kMusicFlagLoopBack;
  }
};

void play_seconds(benchmark::State& bench, bool with_music) {
  static const Song song;
  auto audio = std::make_unique<AudioState>();
  if (with_music) music(*audio, song.effects, song.patterns, {0, {}, {}}, true, 0);
  std::vector<uint8_t> stream(kCallbackSamples * 2);
  const std::vector<uint8_t> serial(kCallbackSamples / 4, 200);
  const AudioRegisters registers = {};
  int32_t now_ms = 0;
  for (auto _ : bench) {
    for (int done = 0; done < kSeconds * kSampleRate; done += kCallbackSamples) {
      if (with_music) queue_serial_sound(*audio, serial.data(), int(serial.size()));
      ruvo_mixer_callback(*audio, stream.data(), int(stream.size()), {}, registers, false, now_ms);
      now_ms += kCallbackSamples * 1000 / kSampleRate;
    }
    benchmark::DoNotOptimize(stream.data());
  }
  bench.counters["host_per_real"] =
      benchmark::Counter(static_cast<double>(kSeconds) * bench.iterations(),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_TenSecondsOfMusicChangingEveryTick(benchmark::State& bench) { play_seconds(bench, true); }
BENCHMARK(BM_TenSecondsOfMusicChangingEveryTick)->Unit(benchmark::kMillisecond);

// Reference: the same callback with nothing playing.
void BM_TenSecondsOfSilenceThroughTheCallback(benchmark::State& bench) { play_seconds(bench, false); }
BENCHMARK(BM_TenSecondsOfSilenceThroughTheCallback)->Unit(benchmark::kMillisecond);

}  // namespace
