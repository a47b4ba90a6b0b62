// Effect bytes and audio registers are program data: any value must play
// without leaving the channel's invariants (and, under the sanitizers,
// without undefined behaviour).
#include <random>

#include "audio/channel_control.h"
#include "audio/sfx_function.h"
#include "audio_fixture.h"

namespace tamori::audio::testing {
namespace {

struct RandomEffects : AudioFixture {};

TEST_F(RandomEffects, AnyEffectBytesAndRegistersPlaySafely) {
  std::mt19937 random(1234);
  for (int round = 0; round < 8; ++round) {
    for (SoundEffect& effect : effects) {
      uint8_t bytes[kSoundEffectByteSize];
      for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
      if (round % 2) bytes[65] %= 4;  // short notes reach more note changes
      effect = decode_sound_effect(bytes);
    }
    for (uint8_t& value : registers) value = static_cast<uint8_t>(random());
    audio->music.channel_mask = static_cast<uint8_t>(random() & 15);
    audio->music.fade_volume = static_cast<int32_t>(random() % 65537);
    for (int call = 0; call < 6; ++call) {
      sfx(*audio, effects, SfxArguments{static_cast<int32_t>(random() % 70) - 3, -1,
                                        static_cast<int32_t>(random() % 40) - 4, static_cast<int32_t>(random() % 50) - 8},
          true);
    }
    for (int channel = 8; channel < kMixChannelCount; ++channel) {
      start_effect_on_channel(audio->channels[channel], channel, effects, static_cast<int>(random() % 64), 0, 0);
      audio->channels[channel].music_flag = channel % 2;
    }
    mix(kSampleRate / 2 + static_cast<int>(random() % 1000));
    for (const MixChannel& channel : audio->channels) {
      const OscillatorState& oscillator = channel.oscillator;
      ASSERT_GE(channel.tick_position, 0);
      ASSERT_LE(channel.tick_position, kTickSamples);
      ASSERT_GE(oscillator.phase, 0);
      ASSERT_LT(oscillator.phase, 65536);
      ASSERT_GE(oscillator.second_phase, 0);
      ASSERT_LT(oscillator.second_phase, 131072);
      ASSERT_GE(oscillator.noise_accumulator, -6143);
      ASSERT_LE(oscillator.noise_accumulator, 6143);
      ASSERT_GE(oscillator.increment, 0);
      ASSERT_LE(oscillator.waveform, 8);
    }
  }
}

}  // namespace
}  // namespace tamori::audio::testing
