#include "audio/mixer.h"

#include <algorithm>

#include "audio/channel_render.h"

namespace tamori::audio {
namespace {

void mix_stretch(AudioState& audio, int16_t* out, int count, const AudioRegisters& registers) {
  audio.music.advanced_pattern = false;
  for (int index = 0; index < kMixChannelCount; ++index) render_channel(audio, index, count, registers);
  if (audio.music.advanced_pattern) ++audio.music.patterns_advanced;

  // An effect on sfx channel k covers music track k while it plays.
  for (int k = 0; k < kSfxChannelCount; ++k) {
    if (audio.channels[k].effect) {
      int16_t* music = audio.channels[kFirstMusicChannel + k].samples;
      std::fill(music, music + count, int16_t{0});
    }
  }
  // Pairwise tree: 0+1, 2+3, 4+5, 6+7, then 0+2, 4+6, then 0+4.
  for (int width = 1; width < kMixedChannelCount; width *= 2) {
    for (int left = 0; left < kMixedChannelCount; left += 2 * width) {
      int16_t* into = audio.channels[left].samples;
      const int16_t* from = audio.channels[left + width].samples;
      for (int i = 0; i < count; ++i) into[i] = soft_clip_sum(into[i], from[i]);
    }
  }
  const int16_t* mixed = audio.channels[0].samples;
  const int32_t volume = std::clamp(audio.sound_volume, 0, 256);
  for (int i = 0; i < count; ++i)
    out[i] = volume == 256 ? mixed[i] : static_cast<int16_t>((volume * mixed[i]) >> 8);
}

}  // namespace

int16_t soft_clip_sum(int16_t a, int16_t b) {
  const int32_t sum = int32_t{a} + b;
  constexpr int32_t kKnee = 24576;
  if (sum >= kKnee) return static_cast<int16_t>((sum - kKnee) / 5 + kKnee);
  if (sum <= -kKnee) return static_cast<int16_t>(-((-sum - kKnee) / 5) - kKnee);
  return static_cast<int16_t>(sum);
}

void mix_audio(AudioState& audio, int16_t* out, int count, const AudioRegisters& registers) {
  if (count <= 0) return;
  if (audio.suspension != 0) {
    std::fill(out, out + count, int16_t{0});
    return;
  }
  while (count > 0) {
    const int stretch = std::min(count, kChannelBufferSamples);
    mix_stretch(audio, out, stretch, registers);
    out += stretch;
    count -= stretch;
  }
}

}  // namespace tamori::audio
