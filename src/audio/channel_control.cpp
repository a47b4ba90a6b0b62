#include "audio/channel_control.h"

#include <algorithm>
#include <limits>

namespace tamori::audio {

int32_t effect_speed(const SoundEffect& effect) { return std::max<int32_t>(effect.speed, 1); }

int32_t effect_number(const MixChannel& channel) {
  if (!channel.effect || !channel.cartridge_effects) return -1;
  return static_cast<int32_t>(channel.effect - channel.cartridge_effects);
}

void start_effect_on_channel(MixChannel& channel, int channel_index, const SoundEffect* cartridge_effects,
                             int effect_index, int32_t offset, int32_t length) {
  const SoundEffect& effect = cartridge_effects[effect_index];
  const int64_t speed = effect_speed(effect);
  channel.effect = &effect;
  channel.cartridge_effects = cartridge_effects;
  channel.tick_counter = static_cast<int32_t>(std::clamp<int64_t>(offset * speed, 0, kNotesPerSoundEffect * speed));
  channel.ticks_played = 0;
  channel.loop_allowed = 1;
  channel.register_index = channel_index & 3;
  // A huge length is as good as no limit; keep the count inside 32 bits.
  const int64_t remaining = length == 0 ? -speed : speed * int64_t{length};
  channel.ticks_remaining = static_cast<int32_t>(
      std::clamp<int64_t>(remaining, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
  channel.music_flag = 0;
}

void stop_channel(MixChannel& channel) {
  channel.effect = nullptr;
  channel.cartridge_effects = nullptr;
  channel.ticks_played = 0;
  channel.loop_allowed = 0;
  channel.music_flag = 0;
}

void release_channel(MixChannel& channel) { channel.loop_allowed = 0; }

}  // namespace tamori::audio
