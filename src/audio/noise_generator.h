// The two noise sounds of waveform 6: filtered random steps with an optional
// crackle, and (with the noiz filter) sample-and-hold noise whose hold time
// follows the pitch.
#pragma once

#include <cstdint>

#include "audio/audio_state.h"

namespace tamori::audio {

// One noise sample at main phase `phase` with amplitude `amplitude`
// (volume * 3 / 2), advancing the oscillator's noise state. The result may
// exceed 16 bits; the caller clamps.
int32_t next_noise_sample(OscillatorState& oscillator, int32_t amplitude, int32_t phase,
                          host::RandomSource& random);

}  // namespace tamori::audio
