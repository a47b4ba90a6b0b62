#include "audio/music_sequencer.h"

#include <algorithm>
#include <iterator>

#include "audio/audio_lock.h"
#include "audio/channel_control.h"

namespace tamori::audio {
namespace {

constexpr int32_t kFullVolume = 65536;
constexpr int kTrackSilent = 64;

bool track_plays(int track) { return track < kTrackSilent; }

// A music channel with no effect still counts the pattern's ticks, so the
// channel takes the cartridge's table either way.
void start_track(MixChannel& channel, int channel_index, const SoundEffect* effects, int track, int32_t pattern,
                 int32_t ticks) {
  start_effect_on_channel(channel, channel_index, effects, std::min(track, kSoundEffectCount - 1), 0, 0);
  if (!track_plays(track)) channel.effect = nullptr;
  channel.music_flag = 1;
  channel.pattern = pattern;
  channel.ticks_remaining = ticks;
}

void stop_music_channels(AudioState& audio) {
  for (MixChannel& channel : audio.channels)
    if (channel.music_flag) stop_channel(channel);
}

}  // namespace

int32_t get_pattern_ticks_length(const MusicPattern& pattern, const SoundEffect* effects) {
  if (!effects) return 0;
  for (uint8_t track : pattern.tracks) {
    if (!track_plays(track)) continue;
    const SoundEffect& effect = effects[track];
    if (!sound_effect_is_waveform_instrument(effect) && effect.loop_end <= effect.loop_start)
      return sound_effect_length_in_notes(effect) * effect_speed(effect);
  }
  int32_t longest = 0;
  for (uint8_t track : pattern.tracks) {
    if (!track_plays(track)) continue;
    const SoundEffect& effect = effects[track];
    int32_t notes = 0;
    if (!sound_effect_is_waveform_instrument(effect))
      notes = effect.loop_end != 0 || effect.loop_start == 0 ? kNotesPerSoundEffect : effect.loop_start;
    longest = std::max(longest, notes * effect_speed(effect));
  }
  return longest;
}

void ruvo_play_song(AudioState& audio, const SoundEffect* effects, const MusicPattern* patterns, int pattern_index,
                    int32_t fade_len, int32_t now_ms) {
  ScopedAudioLock lock(audio);
  MusicState& music = audio.music;
  music.on_pattern_end = end_music_pattern;
  for (MixChannel& channel : audio.channels)
    if (channel.music_flag && channel.cartridge_effects == effects) stop_channel(channel);
  if (!effects || !patterns || pattern_index < 0 || pattern_index >= kMusicPatternCount) return;

  const MusicPattern& pattern = patterns[pattern_index];
  const int32_t ticks = get_pattern_ticks_length(pattern, effects);
  if (ticks == 0) return;
  music.patterns = patterns;
  music.patterns_advanced = 0;
  music.current_pattern = pattern_index;
  for (int k = 0; k < 4; ++k) {
    const int channel_index = kFirstMusicChannel + k;
    start_track(audio.channels[channel_index], channel_index, effects, pattern.tracks[k], pattern_index, ticks);
  }
  music.fade_len = fade_len;
  music.fade_start_t = now_ms;
  music.fade0 = 0;
  music.fade1 = kFullVolume;
  update_music_fade(audio, now_ms);
}

void stop_music_with_fade(AudioState& audio, int32_t fade_len, int32_t now_ms) {
  ScopedAudioLock lock(audio);
  MusicState& music = audio.music;
  music.fade_len = fade_len;
  music.fade_start_t = now_ms;
  music.fade0 = music.fade_volume;
  music.fade1 = 0;
  update_music_fade(audio, now_ms);
}

void update_music_fade(AudioState& audio, int32_t now_ms) {
  ScopedAudioLock lock(audio);
  MusicState& music = audio.music;
  if (music.fade_volume != music.fade1) {
    // Unsigned difference: the host clock may wrap.
    const int64_t elapsed =
        static_cast<int32_t>(static_cast<uint32_t>(now_ms) - static_cast<uint32_t>(music.fade_start_t));
    if (music.fade_len > 0 && elapsed >= 0 && elapsed < music.fade_len) {
      const int64_t mixed = ((music.fade_len - elapsed) * music.fade0 + elapsed * music.fade1) / music.fade_len;
      music.fade_volume = static_cast<int32_t>(std::clamp<int64_t>(mixed, 0, kFullVolume));
    } else {
      music.fade_volume = music.fade1;
    }
  }
  if (music.fade_volume == music.fade1 && music.fade_volume == 0) stop_music_channels(audio);
}

int32_t next_music_pattern(const MusicPattern* patterns, int32_t pattern) {
  const uint8_t flags = patterns[pattern].flags;
  if (flags & kMusicFlagStop) return -1;
  if (flags & kMusicFlagLoopBack) {
    for (int32_t earlier = pattern; earlier >= 1; --earlier)
      if (patterns[earlier].flags & kMusicFlagLoopStart) return earlier;
    return 0;
  }
  return pattern + 1;
}

void end_music_pattern(AudioState& audio, int channel_index) {
  MusicState& music = audio.music;
  MixChannel& channel = audio.channels[channel_index];
  if (!music.patterns || channel.pattern < 0 || channel.pattern >= kMusicPatternCount) {
    stop_channel(channel);
    return;
  }
  music.advanced_pattern = true;
  const int32_t next = next_music_pattern(music.patterns, channel.pattern);
  music.current_pattern = next;
  if (next < 0) {
    channel.pattern = -1;
    stop_channel(channel);
    return;
  }
  // A silent pattern has no length, and one of no length would never end:
  // music stops at either.
  const int32_t ticks =
      next < kMusicPatternCount ? get_pattern_ticks_length(music.patterns[next], channel.cartridge_effects) : 0;
  if (ticks == 0) {
    stop_channel(channel);
    return;
  }
  const int track = music.patterns[next].tracks[(channel_index - kFirstMusicChannel) & 3];
  start_track(channel, channel_index, channel.cartridge_effects, track, next, ticks);
}

bool music_is_playing(const AudioState& audio) {
  return std::any_of(std::begin(audio.channels), std::end(audio.channels), [](const MixChannel& channel) {
    return channel.music_flag && channel.cartridge_effects;
  });
}

}  // namespace tamori::audio
