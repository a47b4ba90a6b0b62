// The host-side operations on sound effects: choosing a channel, starting and
// stopping effects, releasing loops and asking what plays. Each takes the
// audio lock for its whole duration.
#pragma once

#include <cstdint>

#include "audio/audio_state.h"

namespace tamori::audio {

// The sfx channel (0..3) an automatically placed effect goes to, or -1 when
// every channel is taken by something that may not be stolen.
int choose_sfx_channel(const AudioState& audio);

// With an effect (0..63 of `cartridge_effects`): starts it at note `offset`
// for `length` notes on `channel` (0..15, or -1 to choose) and returns the
// channel, or -1 when none could be found. With effect -1: stops `channel`
// (-1: channels 0..3) and returns -1. A channel outside -1..15, or an effect
// outside -1..63, does nothing and returns -1.
int ruvo_play_sfx_ex(AudioState& audio, int effect_index, int32_t offset, int32_t length,
                     const SoundEffect* cartridge_effects, int channel);

// Stops every channel playing `effect` (music included); with null stops
// every channel that is not playing music.
void ruvo_stop_sfx(AudioState& audio, const SoundEffect* effect);

// Lets looping effects run on to their end: channel 0..15, or -1 for all.
void release_looping(AudioState& audio, int channel);

// The effect a channel (0..15) plays, or null.
const SoundEffect* channel_effect(AudioState& audio, int channel);

// Note index of `effect` on the lowest channel that plays it, or -1.
int32_t playing_note(AudioState& audio, const SoundEffect* effect);

// Stops all sixteen channels, music included (program run and reset).
void stop_all_sounds(AudioState& audio);

// Stops everything that plays effects of `cartridge_effects`, before that
// table goes away.
void stop_cartridge_sounds(AudioState& audio, const SoundEffect* cartridge_effects);

}  // namespace tamori::audio
