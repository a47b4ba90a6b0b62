// The mixing step: advances all sixteen channels for a number of samples and
// sums the eight heard ones into 22050 Hz mono signed 16-bit output. The audio
// device's callback calls it under the device lock; sound export may call it
// with its own buffer.
#pragma once

#include <cstdint>

#include "audio/audio_state.h"

namespace tamori::audio {

// Writes `count` samples to `out`. Long requests are rendered in stretches of
// at most kChannelBufferSamples. While the audio is suspended the output is
// silence and nothing advances.
void mix_audio(AudioState& audio, int16_t* out, int count, const AudioRegisters& registers);

// Sum of two samples that bends gently instead of wrapping near full scale.
int16_t soft_clip_sum(int16_t a, int16_t b);

}  // namespace tamori::audio
