// One tick (183 samples) of one channel: the filter levels, the note's
// samples with the cross-fade from the previous tick's settings (or the
// release tail of a stopped effect), distortion, dampening, the history
// ring, and then the counters, loop and stop rule.
#pragma once

#include "audio/audio_state.h"

namespace tamori::audio {

// Computes the channel's next tick into its tick buffer and rewinds the tick
// position to its start.
void compute_next_tick(AudioState& audio, int channel_index, const AudioRegisters& registers);

// Whether an effect on a channel without music ends after the tick that
// advanced the counter from `tick_counter` (before the advance); a looping
// effect that may loop never ends here.
bool effect_has_ended(const MixChannel& channel, int32_t tick_counter_before);

}  // namespace tamori::audio
