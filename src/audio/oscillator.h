// Sample generation of one oscillator: the eight waveforms (with buzz and the
// detuned second phase), the wavetable of waveform instruments, noise, and the
// echo taken from the channel's history.
#pragma once

#include <cstdint>

#include "audio/audio_state.h"

namespace tamori::audio {

// Writes `count` samples and advances the oscillator's phases and noise
// state. `echo` is the history tick to add at half level (null for none; it
// must hold at least `count` samples). When the oscillator is silent and the
// channel has no reverb the output is silence and the main phase restarts.
void generate_oscillator_samples(OscillatorState& oscillator, int16_t* out, int count,
                                 int channel_reverb_level, const int16_t* echo,
                                 host::RandomSource& random);

// One sample of a waveform other than noise at `amplitude` (volume * 3 / 2),
// from the main phase (0..65535) and the full second phase (0..131071).
int32_t periodic_wave_sample(const OscillatorState& oscillator, int32_t amplitude, int32_t phase,
                             int32_t second_phase);

}  // namespace tamori::audio
