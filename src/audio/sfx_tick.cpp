#include "audio/sfx_tick.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include "audio/channel_control.h"
#include "audio/note_interpretation.h"
#include "audio/oscillator.h"

namespace tamori::audio {
namespace {

bool register_bit(const AudioRegisters& registers, int which, int bit) { return (registers[which] >> bit) & 1; }

int32_t saturating_increment(int32_t value) {
  return value == std::numeric_limits<int32_t>::max() ? value : value + 1;
}

void choose_filter_levels(MixChannel& channel, const AudioRegisters& registers) {
  const int k = channel.register_index & 3;
  const SoundFilters effect_filters = channel.effect ? decode_sound_filters(channel.effect->filter_bits) : SoundFilters{};
  const SoundFilters instrument_filters =
      decode_sound_filters(static_cast<uint8_t>(channel.oscillator.instrument_flags));
  channel.reverb_level = apply_reverb_registers(std::max(effect_filters.reverb, instrument_filters.reverb), registers, k);

  constexpr int32_t kDampenLevels[3] = {0, 8, 12};
  int32_t dampen = kDampenLevels[std::max(effect_filters.dampen, instrument_filters.dampen)];
  const bool dampen_high = register_bit(registers, kRegisterDampen, k + 4);
  if (dampen_high) dampen = std::max(dampen, 8);
  if (register_bit(registers, kRegisterDampen, k)) dampen = dampen_high ? 15 : 12;
  channel.dampen_level = dampen;
}

// The history tick `ticks_ago` ticks back (1 = the previous tick).
const int16_t* echo_source(const MixChannel& channel, int reverb) {
  if (reverb != 1 && reverb != 2) return nullptr;
  const int ticks_ago = reverb == 1 ? 2 : 4;
  return channel.history[(channel.ring_index + kHistoryTicks - ticks_ago) % kHistoryTicks];
}

void synthesise_tick(AudioState& audio, MixChannel& channel, const AudioRegisters& registers) {
  std::fill(std::begin(channel.tick_buffer), std::end(channel.tick_buffer), int16_t{0});
  OscillatorState& oscillator = channel.oscillator;
  if (channel.effect) {
    const int32_t speed = effect_speed(*channel.effect);
    const OscillatorState before = oscillator;
    if (channel.tick_counter % speed == 0)
      channel.previous_note = {oscillator.note_pitch, oscillator.note_waveform, oscillator.note_volume};
    interpret_note(channel, registers, audio.music);
    generate_oscillator_samples(oscillator, channel.tick_buffer, kTickSamples, channel.reverb_level,
                                echo_source(channel, oscillator.reverb), audio.random);
    // Play the first samples with the old settings too and blend across, so
    // that a change of note never clicks.
    OscillatorState fading = before;
    generate_oscillator_samples(fading, audio.ramp_buffer, kCrossFadeSamples, channel.reverb_level,
                                echo_source(channel, fading.reverb), audio.random);
    for (int i = 0; i < kCrossFadeSamples; ++i)
      channel.tick_buffer[i] = static_cast<int16_t>(
          (channel.tick_buffer[i] * i + audio.ramp_buffer[i] * (kCrossFadeSamples - i)) / kCrossFadeSamples);
  } else if (oscillator.increment != 0 && oscillator.volume != 0) {
    // Release tail: the last sound fades out over the first 64 samples.
    generate_oscillator_samples(oscillator, channel.tick_buffer, kCrossFadeSamples, channel.reverb_level,
                                echo_source(channel, oscillator.reverb), audio.random);
    for (int i = 0; i < kCrossFadeSamples; ++i)
      channel.tick_buffer[i] = static_cast<int16_t>(channel.tick_buffer[i] * (kCrossFadeSamples - i) / kCrossFadeSamples);
    oscillator.volume = 0;
  }
}

void distort(MixChannel& channel, const AudioRegisters& registers) {
  const int k = channel.register_index & 3;
  if (register_bit(registers, kRegisterDistort, k)) {
    for (int16_t& sample : channel.tick_buffer) sample = static_cast<int16_t>(sample / 4096 * 4096);
  } else if (register_bit(registers, kRegisterDistort, k + 4)) {
    for (int16_t& sample : channel.tick_buffer)
      sample = static_cast<int16_t>(static_cast<uint16_t>(sample) & 0xf007);
  }
}

void dampen(MixChannel& channel, int32_t previous_sample) {
  const int32_t level = channel.dampen_level;
  if (level <= 0) return;
  int32_t last = previous_sample;
  for (int16_t& sample : channel.tick_buffer) {
    last = (sample * (16 - level) + last * level) / 16;
    sample = static_cast<int16_t>(last);
  }
}

void advance_counters(MixChannel& channel, bool& remaining_reached_zero) {
  channel.tick_counter = saturating_increment(channel.tick_counter);
  channel.ticks_played = saturating_increment(channel.ticks_played);
  channel.instrument_tick_counter = saturating_increment(channel.instrument_tick_counter);
  // Negative means unlimited; it is left alone rather than counted down forever.
  remaining_reached_zero = false;
  if (channel.ticks_remaining > 0) {
    --channel.ticks_remaining;
    remaining_reached_zero = channel.ticks_remaining == 0;
  }
}

void finish_tick(AudioState& audio, int channel_index, int32_t tick_counter_before) {
  MixChannel& channel = audio.channels[channel_index];
  if (!channel.effect && !channel.music_flag) return;
  bool remaining_reached_zero = false;
  advance_counters(channel, remaining_reached_zero);

  if (channel.effect && sound_effect_loops(*channel.effect) && channel.loop_allowed) {
    const int32_t speed = effect_speed(*channel.effect);
    if (channel.tick_counter >= channel.effect->loop_end * speed)
      channel.tick_counter = channel.effect->loop_start * speed;
  }

  if (channel.music_flag) {
    if (!remaining_reached_zero) return;
    if (audio.music.on_pattern_end) {
      audio.music.on_pattern_end(audio, channel_index);
    } else {
      stop_channel(channel);
    }
    return;
  }
  if (channel.effect && (remaining_reached_zero || effect_has_ended(channel, tick_counter_before)))
    stop_channel(channel);
}

}  // namespace

bool effect_has_ended(const MixChannel& channel, int32_t tick_counter_before) {
  const SoundEffect& effect = *channel.effect;
  if (sound_effect_loops(effect) && channel.loop_allowed) return false;
  const int32_t speed = effect_speed(effect);
  const int64_t next_note = (int64_t{tick_counter_before} + 1) / speed;
  if (next_note >= sound_effect_length_in_notes(effect)) return true;
  if (next_note >= kNotesPerSoundEffect) {
    // Notes past 31 are silent; with reverb the echo rings out for 128 ticks.
    return channel.reverb_level == 0 || channel.tick_counter >= kNotesPerSoundEffect * speed + 128;
  }
  if (channel.reverb_level != 0) return false;
  if (next_note <= 30 && effect.notes[next_note].effect == 1) return false;
  for (int64_t i = next_note; i < kNotesPerSoundEffect; ++i)
    if (effect.notes[i].volume > 0) return false;
  return true;
}

void compute_next_tick(AudioState& audio, int channel_index, const AudioRegisters& registers) {
  MixChannel& channel = audio.channels[channel_index];
  choose_filter_levels(channel, registers);
  const int32_t previous_sample = channel.tick_buffer[kTickSamples - 1];
  const int32_t tick_counter_before = channel.tick_counter;
  synthesise_tick(audio, channel, registers);
  distort(channel, registers);
  dampen(channel, previous_sample);
  channel.tick_position = 0;
  std::copy(std::begin(channel.tick_buffer), std::end(channel.tick_buffer), channel.history[channel.ring_index]);
  channel.ring_index = (channel.ring_index + 1) % kHistoryTicks;
  finish_tick(audio, channel_index, tick_counter_before);
}

}  // namespace tamori::audio
