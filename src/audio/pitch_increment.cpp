#include "audio/pitch_increment.h"

#include <algorithm>

#include "audio/audio_state.h"

namespace tamori::audio {

// The twelfth entry is 984, a hair below the tempered 988; it is part of the
// instrument's sound.
const int32_t kNoteFrequencies[13] = {523, 554, 587, 622, 659, 698, 740, 784, 831, 880, 932, 984, 1046};

int32_t pitch_to_increment(int32_t pitch) {
  int32_t semitones = pitch >> 16;
  int64_t fraction = pitch & 0xffff;
  int32_t step = semitones % 12;
  if (step < 0) step += 12;
  int64_t increment =
      ((65536 - fraction) * kNoteFrequencies[step] + fraction * kNoteFrequencies[step + 1]) / kSampleRate;
  // Octave 3 is the table's own; the pitches here are never far from it, so
  // the loops below run a handful of times at most.
  int32_t octave = (semitones + 48) / 12 - 4;
  for (int i = octave; i < 3 && increment > 0; ++i) increment /= 2;
  for (int i = 3; i < octave && increment < 32768; ++i) increment *= 2;
  return static_cast<int32_t>(std::clamp<int64_t>(increment, 8, 32768));
}

}  // namespace tamori::audio
