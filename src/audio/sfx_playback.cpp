#include "audio/sfx_playback.h"

#include "audio/audio_lock.h"
#include "audio/channel_control.h"

namespace tamori::audio {
namespace {

bool sfx_channel_idle(const AudioState& audio, int k) {
  const MixChannel& channel = audio.channels[k];
  return !channel.effect && !channel.music_flag;
}

bool partner_quiet(const AudioState& audio, int k) { return !audio.channels[kFirstMusicChannel + k].effect; }

bool partner_stopped(const AudioState& audio, int k) {
  return partner_quiet(audio, k) && !audio.channels[kFirstMusicChannel + k].music_flag;
}

bool reserved_for_music(const AudioState& audio, int k) { return (audio.music.channel_mask >> k) & 1; }

}  // namespace

int choose_sfx_channel(const AudioState& audio) {
  for (int k = 0; k < kSfxChannelCount; ++k)
    if (sfx_channel_idle(audio, k) && partner_stopped(audio, k)) return k;
  for (int k = 0; k < kSfxChannelCount; ++k)
    if (sfx_channel_idle(audio, k) && partner_quiet(audio, k) && !reserved_for_music(audio, k)) return k;
  // The effect will cover the music track on the partner while it sounds.
  for (int k = 0; k < kSfxChannelCount; ++k)
    if (sfx_channel_idle(audio, k) && !reserved_for_music(audio, k)) return k;
  // Steal the busiest-sounding channel: the fastest effect, the higher
  // channel on a tie.
  int chosen = -1;
  int chosen_speed = 0;
  for (int k = 0; k < kSfxChannelCount; ++k) {
    const SoundEffect* effect = audio.channels[k].effect;
    if (!effect || (reserved_for_music(audio, k) && !partner_stopped(audio, k))) continue;
    if (chosen < 0 || effect->speed <= chosen_speed) {
      chosen = k;
      chosen_speed = effect->speed;
    }
  }
  return chosen;
}

int ruvo_play_sfx_ex(AudioState& audio, int effect_index, int32_t offset, int32_t length,
                     const SoundEffect* cartridge_effects, int channel) {
  if (channel < -1 || channel >= kMixChannelCount) return -1;
  if (effect_index < -1 || effect_index >= kSoundEffectCount) return -1;
  ScopedAudioLock lock(audio);
  if (effect_index < 0 || !cartridge_effects) {
    if (channel >= 0) {
      stop_channel(audio.channels[channel]);
    } else {
      for (int k = 0; k < kSfxChannelCount; ++k) stop_channel(audio.channels[k]);
    }
    return -1;
  }
  if (channel < 0) channel = choose_sfx_channel(audio);
  if (channel < 0) return -1;
  start_effect_on_channel(audio.channels[channel], channel, cartridge_effects, effect_index, offset, length);
  return channel;
}

void ruvo_stop_sfx(AudioState& audio, const SoundEffect* effect) {
  ScopedAudioLock lock(audio);
  for (MixChannel& channel : audio.channels) {
    if (effect ? channel.effect == effect : !channel.music_flag) stop_channel(channel);
  }
}

void release_looping(AudioState& audio, int channel) {
  if (channel < -1 || channel >= kMixChannelCount) return;
  ScopedAudioLock lock(audio);
  if (channel >= 0) {
    release_channel(audio.channels[channel]);
    return;
  }
  for (MixChannel& each : audio.channels) release_channel(each);
}

const SoundEffect* channel_effect(AudioState& audio, int channel) {
  if (channel < 0 || channel >= kMixChannelCount) return nullptr;
  ScopedAudioLock lock(audio);
  return audio.channels[channel].effect;
}

int32_t playing_note(AudioState& audio, const SoundEffect* effect) {
  if (!effect) return -1;
  ScopedAudioLock lock(audio);
  for (const MixChannel& channel : audio.channels)
    if (channel.effect == effect) return channel.tick_counter / effect_speed(*effect);
  return -1;
}

void stop_all_sounds(AudioState& audio) {
  ScopedAudioLock lock(audio);
  for (MixChannel& channel : audio.channels) stop_channel(channel);
}

void stop_cartridge_sounds(AudioState& audio, const SoundEffect* cartridge_effects) {
  ScopedAudioLock lock(audio);
  for (MixChannel& channel : audio.channels)
    if (channel.cartridge_effects == cartridge_effects) stop_channel(channel);
}

}  // namespace tamori::audio
