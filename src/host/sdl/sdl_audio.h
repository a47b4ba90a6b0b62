// The SDL2 audio device behind host::Platform's audio callbacks. One device
// at a time; `context` is unused.
#pragma once

#include "host/platform.h"

namespace tamori::host {

bool sdl_open_audio(void* context, const AudioRequest& request, AudioCallback callback, void* user,
                    AudioFormat& obtained);
void sdl_lock_audio(void* context);
void sdl_unlock_audio(void* context);
void sdl_close_audio(void* context);

}  // namespace tamori::host
