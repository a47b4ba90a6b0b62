// One audio callback's worth of one channel: copies ticks out into the
// channel's sample buffer, computing new ticks as they run out, at full or
// half rate, and notes the channel's state at each tick boundary.
#pragma once

#include "audio/audio_state.h"

namespace tamori::audio {

// Renders `count` samples (0..kChannelBufferSamples) into channel.samples.
void render_channel(AudioState& audio, int channel_index, int count, const AudioRegisters& registers);

}  // namespace tamori::audio
