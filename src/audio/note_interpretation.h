// Turns the note under a channel's tick counter into oscillator settings for
// one tick: pitch and volume after note effects and custom instruments, the
// phase increments with vibrato and drop, music fade, filters and reverb.
#pragma once

#include "audio/audio_state.h"

namespace tamori::audio {

// May clear the channel's dampen level for this tick (sample-and-hold noise
// under strong dampening uses its ramped form instead).
void interpret_note(MixChannel& channel, const AudioRegisters& registers, const MusicState& music);

// Reverb level after the register overrides of 0x5f41 for register bit k.
int apply_reverb_registers(int level, const AudioRegisters& registers, int register_index);

}  // namespace tamori::audio
