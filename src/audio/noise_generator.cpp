#include "audio/noise_generator.h"

#include <algorithm>

namespace tamori::audio {
namespace {

int32_t random_in(host::RandomSource& random, int32_t range) {
  return static_cast<int32_t>(host::ruvo_random(random, static_cast<uint32_t>(range)));
}

int32_t stepped_noise_sample(OscillatorState& oscillator, int32_t amplitude, int32_t phase,
                             host::RandomSource& random) {
  const int32_t increment = oscillator.increment;
  const int32_t step = std::max(increment < 79 ? 60 * increment - 2988 : 8 * increment + 1120, 0);
  const int32_t crackle = oscillator.buzz ? 0 : oscillator.crackle_volume;
  int32_t accumulator = oscillator.noise_accumulator;
  if (oscillator.noise_toggle == 0) accumulator += random_in(random, step) - step / 2;
  oscillator.noise_toggle ^= 1;
  // A cheap hash of the phase decides where the crackle pops; higher notes
  // pop more often.
  uint32_t hash = (static_cast<uint32_t>(phase) + 101u) * (static_cast<uint32_t>(phase) + 317u);
  if (crackle > 0 && static_cast<int32_t>(hash & 0x1fff) < (increment + 500) / 3)
    accumulator += static_cast<int32_t>(static_cast<int64_t>(random_in(random, 12286) - 6143) * crackle / 1792);
  const int32_t pitch = oscillator.integer_pitch;
  const int32_t brightness = std::max(2048 / (pitch < 48 ? 64 : pitch + 16), 16);
  int64_t sample = static_cast<int64_t>(amplitude) * (accumulator >> 6) * (brightness + 48) / 2048;
  oscillator.noise_accumulator = std::clamp(accumulator, -6143, 6143);
  return static_cast<int32_t>(std::clamp<int64_t>(sample, INT32_MIN, INT32_MAX));
}

int32_t held_noise_sample(OscillatorState& oscillator, int32_t amplitude, host::RandomSource& random) {
  int32_t hold_length = oscillator.pitch < (64 << 16) ? 64 - oscillator.integer_pitch : 1;
  if (hold_length >= 64) hold_length = 4 * hold_length - 192;
  // The pitch may have risen since the last sample: start a new hold.
  if (oscillator.hold_counter >= hold_length || oscillator.hold_counter < 0) oscillator.hold_counter = 0;
  const int32_t counter = oscillator.hold_counter;
  const int64_t scaled = amplitude;
  int64_t sample;
  if (counter == 0) {
    oscillator.held_older = oscillator.held_newer;
    oscillator.held_newer = random_in(random, 12286) - 6143;
    sample = scaled * oscillator.held_older / 2048;
  } else if (oscillator.noiz == 1) {
    sample = scaled * oscillator.held_older / 2048;
  } else {
    // noiz 2 ramps linearly from the older held value to the newer one.
    int64_t older_weight = scaled * (hold_length - counter) / hold_length;
    int64_t newer_weight = scaled * counter / hold_length;
    sample = (older_weight * oscillator.held_older + newer_weight * oscillator.held_newer) / 2048;
  }
  oscillator.hold_counter = counter + 1 >= hold_length ? 0 : counter + 1;
  return static_cast<int32_t>(sample);
}

}  // namespace

int32_t next_noise_sample(OscillatorState& oscillator, int32_t amplitude, int32_t phase,
                          host::RandomSource& random) {
  if (oscillator.noiz) return held_noise_sample(oscillator, amplitude, random);
  return stepped_noise_sample(oscillator, amplitude, phase, random);
}

}  // namespace tamori::audio
