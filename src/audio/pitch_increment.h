// Conversion of a 16.16 pitch (semitones, 33 = 440 Hz) to the oscillator's
// phase increment per sample, interpolating between semitones.
#pragma once

#include <cstdint>

namespace tamori::audio {

// Frequencies in Hz of the semitones from pitch 36 to 48; the last entry
// only serves the interpolation of the one before.
extern const int32_t kNoteFrequencies[13];

// Phase units per sample (the phase wraps at 65536), 8..32768.
int32_t pitch_to_increment(int32_t pitch);

}  // namespace tamori::audio
