// What a note's effect does to its pitch and volume at one tick: slide,
// fades and the two arpeggios. Custom instruments apply the same rules to
// their own notes.
#pragma once

#include <cstdint>

#include "audio/audio_state.h"

namespace tamori::audio {

struct NoteSound {
  int32_t pitch = 0;   // 16.16
  int32_t volume = 0;  // note volume * 256
};

// Pitch and volume of note `note_index` of `notes` at tick `tick_counter`
// (tick `tick_in_note` of a note lasting `speed` ticks). A slide starts from
// `slide_from` (pitch 24 and the note's own volume for the first note).
NoteSound apply_note_effect(const SoundNote* notes, int note_index, int32_t tick_counter, int32_t speed,
                            const HeardNote& slide_from);

}  // namespace tamori::audio
