// Sound export: a sound effect (or all 64) or a music pattern rendered by
// running the mixer directly, written as raw samples or as a WAV file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "audio/audio_state.h"
#include "audio/sound_records.h"

namespace tamori::capture {

inline constexpr int kExportTickSamples = 183;
inline constexpr int kMostMusicExportTicks = 32767;

// True for the names the sound export handles (".wav" or ".raw" in them).
bool is_sound_export_name(const std::string& name);

// The samples of one effect started alone on a silent console: speed x 32
// ticks (32 when the speed is 0). Stops all sound and music first.
std::vector<int16_t> render_sound_effect(audio::AudioState& audio, const audio::SoundEffect* effects, int effect);

// The samples of the music from `pattern` until it stops, at most 32767
// ticks. Stops all sound and music first.
std::vector<int16_t> render_music(audio::AudioState& audio, const audio::SoundEffect* effects,
                                  const audio::MusicPattern* patterns, int pattern);

struct SoundExport {
  std::string name;         // the file name, with ".wav" or ".raw"
  int selected_effect = 0;  // exported when the name asks for no numbering
  bool music = false;       // export the music from pattern `selected_pattern`
  int selected_pattern = 0;
};

// Performs the export; every console line goes to `print`. A name with
// exactly one "%d" and no other "%" exports every effect, numbered. Returns
// the number of files written.
int export_sound(audio::AudioState& audio, const audio::SoundEffect* effects, const audio::MusicPattern* patterns,
                 const SoundExport& request, const std::function<void(const std::string& line)>& print);

}  // namespace tamori::capture
