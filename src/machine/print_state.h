// The text printer's long-lived record: the built-in font and the context of
// the one print that may be in progress (it can pause for frames and go on
// later), plus the hooks through which a printed sound command reaches the
// sound system.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "audio/sound_records.h"
#include "machine/font_data.h"

namespace tamori::machine {

// What printing needs from the sound system. Empty hooks do nothing (and
// report no channel and no music playing).
struct PrintSoundHooks {
  std::function<bool(int slot)> sound_effect_playing;  // any channel plays this effect
  std::function<void(int slot)> play_sound_effect;     // on any free channel
  std::function<void(const audio::SoundEffect&)> play_sound_record;  // the beep, not stored in memory
  std::function<bool()> music_playing;
  std::function<void()> stop_music_and_sounds;
};

struct PrintContext {
  bool active = false;
  std::string text;
  size_t position = 0;
  bool final_line_feed = false;  // a line feed still to come after the text

  bool using_custom_font = false;
  FontBytes custom_font{};
  FontMetrics metrics;       // of the font in use, with the attribute overrides
  int32_t tab_width = 0;     // set by command "s" or 0x5f5a; 0 uses the font's

  int32_t home_x = 0, home_y = 0;
  int32_t cursor_x = 0, cursor_y = 0;
  int32_t max_x = 0, max_y = 0;  // largest cursor reached, for the result
  uint8_t foreground = 6, background = 0;

  bool padding = true, wide = false, tall = false, dotty = false, pinball = false;
  bool solid_background = false, inverted = false, wrap = false, underline = false;
  uint16_t outline_mask = 0;
  uint8_t outline_colour = 0;
  bool outline_uses_foreground = false;
  int32_t wrap_boundary = 128;
  bool scrolling = false;  // printed without a position: line feeds may scroll
  bool program_running = false;

  int32_t last_advance = 0;
  int32_t line_height = 0;  // tallest character on this line, 0 before any
  int32_t remembered_x = 0, remembered_y = 0;  // where the last character went
  bool return_after_next = false;              // code 11: go back after one character
  int32_t return_x = 0, return_y = 0;

  int32_t frames_to_wait = 0;
  int32_t per_character_delay = 0;
};

struct TextState {
  FontBytes builtin_font{};
  bool builtin_font_ready = false;
  PrintContext print;
  PrintSoundHooks sound;
};

}  // namespace tamori::machine
