// The cartridge's `sfx(n, [channel], [offset], [length])` over the sound
// state, with its arguments already converted to integers (absent arguments
// are empty). The language binding charges the CPU cost and pushes the result.
#pragma once

#include <cstdint>
#include <optional>

#include "audio/audio_state.h"

namespace tamori::audio {

struct SfxArguments {
  std::optional<int32_t> effect;
  std::optional<int32_t> channel;
  std::optional<int32_t> offset;
  std::optional<int32_t> length;
};

// Returns the value `sfx` gives back to the program, or nothing.
// `program_running` tells whether a cartridge program runs: a call made while
// none runs and the audio is suspended stops all sound and lifts the
// suspension first.
std::optional<int32_t> sfx(AudioState& audio, const SoundEffect* cartridge_effects, const SfxArguments& arguments,
                           bool program_running);

}  // namespace tamori::audio
