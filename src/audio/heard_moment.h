// What the listener hears now. The device plays a buffer some time after the
// callback filled it, so the console estimates when each callback's first
// sample reaches the listener and, once a frame, picks from each channel's
// tick-boundary records of the last callback the one being heard.
#pragma once

#include <cstdint>

#include "audio/audio_state.h"

namespace tamori::audio {

// Called by the device callback before mixing `samples` samples: moves the
// estimate of when this callback's first sample is heard on. The estimate
// follows the buffer durations and leans a quarter towards the clock, and
// never falls more than 200 ms behind it.
void note_callback_timing(AudioState& audio, int samples, int32_t now_ms);

// The record of `channel` heard at `now_ms`, or an empty record (no effect)
// when the channel kept none in the last callback.
ChannelStateRecord heard_record(const AudioState& audio, int channel, int32_t now_ms);

// Caches the heard records of the four sfx channels and of the music, under
// the audio lock. The main loop calls it every frame; the heard `stat`
// values read this cache.
void refresh_heard_moment(AudioState& audio, int32_t now_ms);

}  // namespace tamori::audio
