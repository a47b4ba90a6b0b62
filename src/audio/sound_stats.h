// The answers to the program's `stat` questions about sound. Live values
// (16..26) read the channels now; heard values (46..56) read the records
// cached at the last frame (heard_moment.h).
#pragma once

#include <cstdint>
#include <optional>

#include "audio/audio_state.h"

namespace tamori::audio {

// 16..19 effect on sfx channel k (else music track k), 20..23 its note,
// 24 current pattern, 25 patterns advanced, 26 ticks into the pattern;
// 46..49, 50..53 the heard effect and note of channel k, 54..56 the heard
// pattern, patterns advanced and ticks played; 57 1 while music plays (a
// boolean for the program); 108 bytes queued for serial sound. -1 means
// nothing; a heard -1 falls back to the live value 30 below it. Other
// indices are not sound questions and give nothing.
std::optional<int32_t> sound_stat(AudioState& audio, int index);

}  // namespace tamori::audio
