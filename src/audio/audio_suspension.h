// Audio suspension: silence while a program is stopped or its pause screen
// shows. The state is AudioState::suspension: 0 sound on, 1 suspended, 2..5
// counting towards sound again, so that sound resumes four frames after the
// suspension is lifted. Each function takes the audio lock.
#pragma once

#include <cstdint>

#include "audio/audio_state.h"

namespace tamori::audio {

// Once a frame while a program runs: suspended when `pause_byte` (0x5f2f) is
// 1, or when it is not 2 and a pause screen is open.
void determine_audio_pause_state(AudioState& audio, uint8_t pause_byte, bool pause_screen_open);

// Stopping a program to the prompt suspends at once; starting one lifts it.
void suspend_audio(AudioState& audio);
void resume_audio(AudioState& audio);

}  // namespace tamori::audio
