// The sound command of printed text (code 7): a beep, a stored sound effect
// to play, or a sound effect written out as note letters.
#pragma once

#include <cstdint>
#include <string_view>

#include "audio/sound_records.h"

namespace tamori::machine {

struct PrintSoundCommand {
  enum class Kind { kBeep, kPlayStored, kDefine };
  Kind kind = Kind::kBeep;
  int slot = -1;  // the effect to play or define; -1 lets the printer choose
  audio::SoundEffect effect;  // the beep or the defined effect
};

// Reads the command that follows code 7 from text[position] on, up to the
// end of `text`, and moves `position` past it (past a space that ends it,
// but not past a line feed).
PrintSoundCommand read_print_sound(std::string_view text, size_t& position);

}  // namespace tamori::machine
