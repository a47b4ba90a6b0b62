#include "audio/sfx_function.h"

#include <algorithm>

#include "audio/audio_lock.h"
#include "audio/sfx_playback.h"

namespace tamori::audio {

std::optional<int32_t> sfx(AudioState& audio, const SoundEffect* cartridge_effects, const SfxArguments& arguments,
                           bool program_running) {
  if (!arguments.effect && !arguments.channel && !arguments.offset && !arguments.length) return std::nullopt;
  ScopedAudioLock lock(audio);
  if (!program_running && audio.suspension != 0) {
    stop_all_sounds(audio);
    audio.suspension = 0;
  }
  const int32_t effect = arguments.effect.value_or(0);
  const int32_t channel = arguments.channel.value_or(-1);
  if (channel < -2 || channel > 3) return std::nullopt;

  if (effect == -2) {
    release_looping(audio, channel < 0 ? -1 : channel);
    return std::nullopt;
  }
  if (effect == -1) {
    ruvo_play_sfx_ex(audio, -1, 0, 0, cartridge_effects, channel < 0 ? -1 : channel);
    return -1;
  }
  if (channel == -2) {
    if (effect >= 0 && effect < kSoundEffectCount && cartridge_effects) ruvo_stop_sfx(audio, &cartridge_effects[effect]);
    return std::nullopt;
  }
  if (!cartridge_effects) return -1;
  const int32_t index = std::clamp(effect, 0, kSoundEffectCount - 1);
  const int32_t offset = std::clamp(arguments.offset.value_or(0), 0, kNotesPerSoundEffect - 1);
  // Restarting an effect that already plays picks its channel afresh.
  ruvo_stop_sfx(audio, &cartridge_effects[index]);
  return ruvo_play_sfx_ex(audio, index, offset, arguments.length.value_or(0), cartridge_effects, channel);
}

}  // namespace tamori::audio
