// Starting, stopping and releasing the effect of one mix channel. These do
// not lock; callers on the main thread hold the audio lock.
#pragma once

#include <cstdint>

#include "audio/audio_state.h"

namespace tamori::audio {

// Starts effect `effect_index` of `cartridge_effects` on channel
// `channel_index` at note `offset`, for `length` notes (0: no limit). The
// tick position, oscillator and history stay, so the next tick cross-fades
// from whatever the channel played before.
void start_effect_on_channel(MixChannel& channel, int channel_index, const SoundEffect* cartridge_effects,
                             int effect_index, int32_t offset, int32_t length);

// Stops the channel's effect and its music. The oscillator keeps its volume
// so that the next tick plays the short release tail.
void stop_channel(MixChannel& channel);

// Lets a looping effect play on past its loop to its end.
void release_channel(MixChannel& channel);

int32_t effect_speed(const SoundEffect& effect);

// The number of the channel's effect in its cartridge's table, -1 with none.
int32_t effect_number(const MixChannel& channel);

}  // namespace tamori::audio
