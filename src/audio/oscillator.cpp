#include "audio/oscillator.h"

#include <algorithm>

#include "audio/noise_generator.h"

namespace tamori::audio {
namespace {

// All shapes below peak near +-24576 before the volume scale of /3072, and
// divide truncating toward zero like the rest of the synthesiser.

int32_t triangle(int32_t x) { return x < 32768 ? 3 * x - 49152 : 147456 - 3 * x; }

int32_t buzzed_triangle(int32_t x) {
  int32_t ramp = x < 57344 ? static_cast<int32_t>(int64_t{x} * 24572 / 57344)
                           : static_cast<int32_t>(int64_t{65535 - x} * 24572 / 8192);
  return ramp + 3 * (triangle(x) / 4) - 12286;
}

int32_t tilted_saw(int32_t x, int32_t knee) {
  return x < knee ? static_cast<int32_t>(int64_t{x} * 24572 / knee)
                  : static_cast<int32_t>(int64_t{65535 - x} * 24572 / (65536 - knee));
}

int32_t saw(int32_t x) { return (x - 32768) / 4; }

// Buzzed saw: an octave-down ramp mixed into the plain one; `x` may be the
// full second phase, beyond 16 bits.
int32_t buzzed_saw(int32_t x) { return ((x / 2 - 32768) / 4 + saw(x & 0xffff)) / 2; }

int32_t organ(int32_t x) {
  if (x < 32768) return (x & 0x4000) ? 32768 - x : x;
  return ((x & 0x4000) ? 65536 - x : x - 32768) * 2 / 3;
}

int32_t wavetable_value(const int32_t* table, int32_t x) {
  int32_t index = x >> 10;
  int32_t next = (index + 1) & (kWavetableSize - 1);
  return table[index] * 1024 + (x & 1023) * (table[next] - table[index]);
}

int32_t scale(int32_t amplitude, int32_t shape) {
  return static_cast<int32_t>(int64_t{amplitude} * shape / 3072);
}

}  // namespace

int32_t periodic_wave_sample(const OscillatorState& oscillator, int32_t amplitude, int32_t phase,
                             int32_t second_phase) {
  const bool buzz = oscillator.buzz != 0;
  const int32_t second_full = oscillator.detune == 2 ? second_phase * 2 : second_phase;
  const int32_t second = second_full & 0xffff;
  const int32_t second_plain = second_phase & 0xffff;
  switch (oscillator.waveform) {
    case 0:
    case 7: {
      int32_t main_value = buzz ? buzzed_triangle(phase) : triangle(phase);
      int32_t second_value = buzz ? buzzed_triangle(second_plain) : triangle(second_plain);
      return scale(amplitude, main_value / 4 + second_value / 8);
    }
    case 1: {
      int32_t knee = buzz ? 61440 : 57344;
      int32_t main_value = tilted_saw(phase, knee);
      int32_t second_value = tilted_saw(second, knee);
      return scale(amplitude, main_value + static_cast<int16_t>(second_value - 12286) / 2 - 12286);
    }
    case 2:
      if (buzz) return scale(amplitude, buzzed_saw(phase) + buzzed_saw(second_full) / 2);
      return scale(amplitude, saw(phase) + saw(second) / 2);
    case 3:
    case 4: {
      int32_t threshold = (oscillator.waveform == 3 ? 32768 : 45056) + (buzz ? 6144 : 0);
      return scale(amplitude, (phase >= threshold ? 6143 : -6143) + (second >= threshold ? 3071 : -3071));
    }
    case 5: {
      int32_t second_value = buzz ? (second >= 32768 ? 3071 : -3071) : organ(second) - 8192;
      return scale(amplitude, organ(phase) - 8192 + second_value / 2);
    }
    case 8: {
      int32_t main_value = wavetable_value(oscillator.wavetable, phase) >> 10;
      int32_t second_value = wavetable_value(oscillator.wavetable, second);
      // Rounds the halved second voice toward zero for negative values.
      return scale(amplitude, main_value + (((second_value >> 10) + (second_value < 0 ? 1 : 0)) >> 1));
    }
    default:
      return 0;
  }
}

void generate_oscillator_samples(OscillatorState& oscillator, int16_t* out, int count,
                                 int channel_reverb_level, const int16_t* echo,
                                 host::RandomSource& random) {
  if (oscillator.volume == 0 && channel_reverb_level == 0) {
    std::fill(out, out + count, int16_t{0});
    oscillator.phase = 0;
    return;
  }
  const int32_t amplitude = oscillator.volume * 3 / 2;
  if (oscillator.second_increment == oscillator.increment) oscillator.second_phase = oscillator.phase;
  for (int i = 0; i < count; ++i) {
    const int32_t phase = oscillator.phase;
    const int32_t second_phase = oscillator.second_phase;
    int32_t value = oscillator.waveform == 6 ? next_noise_sample(oscillator, amplitude, phase, random)
                                             : periodic_wave_sample(oscillator, amplitude, phase, second_phase);
    if (echo) value = static_cast<int32_t>((int64_t{value} * 4 + int64_t{echo[i]} * 2) / 4);
    // Loud noise and echoes can pass the 16-bit range; saturate rather than wrap.
    out[i] = static_cast<int16_t>(std::clamp(value, -32768, 32767));
    oscillator.phase = (phase + oscillator.increment) & 0xffff;
    oscillator.second_phase = (second_phase + oscillator.second_increment) & 0x1ffff;
  }
}

}  // namespace tamori::audio
