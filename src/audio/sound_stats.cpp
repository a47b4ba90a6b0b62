#include "audio/sound_stats.h"

#include <algorithm>
#include <iterator>

#include "audio/audio_lock.h"
#include "audio/channel_control.h"
#include "audio/music_sequencer.h"
#include "audio/sfx_playback.h"

namespace tamori::audio {
namespace {

// The sfx channel k, or the music track under it when k plays nothing.
const MixChannel* sounding_channel(const AudioState& audio, int k) {
  if (audio.channels[k].effect) return &audio.channels[k];
  if (audio.channels[kFirstMusicChannel + k].effect) return &audio.channels[kFirstMusicChannel + k];
  return nullptr;
}

int32_t largest_music_tick(const AudioState& audio) {
  int32_t largest = 0;
  for (const MixChannel& channel : audio.channels)
    if (channel.music_flag && channel.effect) largest = std::max(largest, channel.tick_counter);
  return largest;
}

int32_t live_stat(AudioState& audio, int index) {
  const bool playing = music_is_playing(audio);
  if (index >= 16 && index <= 19) {
    const MixChannel* channel = sounding_channel(audio, index - 16);
    return channel ? effect_number(*channel) : -1;
  }
  if (index >= 20 && index <= 23) {
    const MixChannel* channel = sounding_channel(audio, index - 20);
    return channel ? playing_note(audio, channel->effect) : -1;
  }
  if (index == 24) return playing ? audio.music.current_pattern : -1;
  if (index == 25) return playing ? audio.music.patterns_advanced : -1;
  return playing ? largest_music_tick(audio) : -1;  // 26
}

int32_t heard_stat(const AudioState& audio, int index) {
  const HeardMoment& heard = audio.heard;
  if (index >= 46 && index <= 49) return heard.sfx[index - 46].effect ? heard.sfx[index - 46].effect_number : -1;
  if (index >= 50 && index <= 53) return heard.sfx[index - 50].effect ? heard.sfx[index - 50].note_index : -1;
  if (!heard.music.effect) return -1;
  if (index == 54) return heard.music.pattern;
  if (index == 55) return heard.music.patterns_advanced;
  return heard.music.ticks_played;  // 56
}

}  // namespace

std::optional<int32_t> sound_stat(AudioState& audio, int index) {
  ScopedAudioLock lock(audio);
  if (index >= 16 && index <= 26) return live_stat(audio, index);
  if (index >= 46 && index <= 56) {
    const int32_t value = heard_stat(audio, index);
    return value != -1 ? value : live_stat(audio, index - 30);
  }
  if (index == 57) return music_is_playing(audio) ? 1 : 0;
  if (index == 108) return audio.serial_sound.queued;
  return std::nullopt;
}

}  // namespace tamori::audio
