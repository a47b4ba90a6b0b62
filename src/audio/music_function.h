// The cartridge's `music(n, [fade_len], [channel_mask])` over the sound
// state, with its arguments already converted to integers (absent arguments
// are empty). The language binding charges the CPU cost.
#pragma once

#include <cstdint>
#include <optional>

#include "audio/audio_state.h"

namespace tamori::audio {

struct MusicArguments {
  std::optional<int32_t> pattern;
  std::optional<int32_t> fade_len;
  std::optional<int32_t> channel_mask;
};

// n = -1 fades the music out (the mask stays); any other n plays from
// pattern clamp(n, 0, 63) and stores the mask. As with `sfx`, a call made
// while no program runs and the audio is suspended stops all sound and
// lifts the suspension first.
void music(AudioState& audio, const SoundEffect* effects, const MusicPattern* patterns,
           const MusicArguments& arguments, bool program_running, int32_t now_ms);

}  // namespace tamori::audio
