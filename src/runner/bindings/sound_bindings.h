// The cartridge's sound functions (sfx, music) bound to the console's sound
// state with their CPU charges, and the sound indices of stat (16..26,
// 46..57, 108).
#pragma once

#include "runner/language.h"

namespace tamori::audio {
struct AudioState;
}  // namespace tamori::audio

namespace tamori::machine {
struct MachineState;
}  // namespace tamori::machine

namespace tamori::runner {

// With `audio` or `machine` null (a language without a console) sfx and
// music do nothing and stat keeps its silent answers.
void register_sound_functions(ThreadState* state, audio::AudioState* audio, machine::MachineState* machine);

}  // namespace tamori::runner
