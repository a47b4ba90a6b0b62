// Custom instruments: a note may name one of effects 0..7 as its instrument.
// A waveform instrument lends its 64 note bytes as a single-cycle wave; any
// other instrument is played as a sequence whose notes shape the note's
// pitch, volume and waveform tick by tick.
#pragma once

#include <cstdint>

#include "audio/audio_state.h"
#include "audio/note_effects.h"

namespace tamori::audio {

// Fills the oscillator's wavetable from the instrument's 64 note bytes.
void load_wavetable(OscillatorState& oscillator, const SoundEffect& instrument);

// At the first tick of a note: restarts the instrument (its tick counter
// back to 0) unless the note continues the previous one smoothly.
void decide_instrument_restart(MixChannel& channel, const SoundNote& note, int note_index,
                               const SoundEffect& instrument);

// Applies `instrument` to the note's pitch and volume in `sound` and sets the
// oscillator's waveform, instrument flags, instrument note effect, drop factor
// and crackle volume. `cartridge_effects` is the table of 64 effects.
void apply_custom_instrument(MixChannel& channel, const SoundEffect& instrument,
                             const SoundEffect* cartridge_effects, NoteSound& sound);

}  // namespace tamori::audio
