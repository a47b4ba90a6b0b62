#include "audio/music_function.h"

#include <algorithm>

#include "audio/audio_lock.h"
#include "audio/music_sequencer.h"
#include "audio/sfx_playback.h"

namespace tamori::audio {

void music(AudioState& audio, const SoundEffect* effects, const MusicPattern* patterns,
           const MusicArguments& arguments, bool program_running, int32_t now_ms) {
  ScopedAudioLock lock(audio);
  if (!program_running && audio.suspension != 0) {
    stop_all_sounds(audio);
    audio.suspension = 0;
  }
  const int32_t pattern = arguments.pattern.value_or(0);
  const int32_t fade_len = std::max(arguments.fade_len.value_or(0), 0);
  if (pattern == -1) {
    stop_music_with_fade(audio, fade_len, now_ms);
    return;
  }
  ruvo_play_song(audio, effects, patterns, std::clamp(pattern, 0, kMusicPatternCount - 1), fade_len, now_ms);
  audio.music.channel_mask = static_cast<uint8_t>(arguments.channel_mask.value_or(0) & 0xff);
}

}  // namespace tamori::audio
