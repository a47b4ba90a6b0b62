#include "audio/note_interpretation.h"

#include <algorithm>

#include "audio/custom_instrument.h"
#include "audio/note_effects.h"
#include "audio/pitch_increment.h"

namespace tamori::audio {
namespace {

bool register_bit(const AudioRegisters& registers, int which, int bit) { return (registers[which] >> bit) & 1; }

// Vibrato multipliers (/128) over eight steps of two ticks; doubled depth
// when both the note and its instrument note ask for vibrato.
constexpr int32_t kVibrato[8] = {128, 129, 130, 129, 128, 127, 126, 127};
constexpr int32_t kDoubleVibrato[8] = {128, 130, 132, 130, 128, 126, 124, 126};

void silence(OscillatorState& oscillator) {
  oscillator.volume = 0;
  oscillator.waveform = 0;
  oscillator.increment = 0;
}

int32_t second_increment_for(const OscillatorState& oscillator, int32_t increment) {
  const int detune = oscillator.detune;
  if (oscillator.waveform == 7) {
    const int32_t phaser[3] = {254, 250, 508};
    return increment * phaser[detune] / 256;
  }
  if (oscillator.waveform == 0 && detune == 1) return increment * 193 / 256;
  if (oscillator.waveform == 0 && detune == 2) return increment * 384 / 256;
  return detune == 0 ? increment : increment * 255 / 256;
}

}  // namespace

int apply_reverb_registers(int level, const AudioRegisters& registers, int register_index) {
  if (register_bit(registers, kRegisterReverb, register_index)) return 2;
  if (register_bit(registers, kRegisterReverb, register_index + 4) && level < 2) return 1;
  return level;
}

void interpret_note(MixChannel& channel, const AudioRegisters& registers, const MusicState& music) {
  OscillatorState& oscillator = channel.oscillator;
  const SoundEffect* effect = channel.effect;
  const int32_t tick_counter = channel.tick_counter;
  const int32_t speed = effect ? std::max<int32_t>(effect->speed, 1) : 1;
  const int32_t note_index = tick_counter / speed;
  if (!effect || note_index < 0 || note_index >= kNotesPerSoundEffect) {
    silence(oscillator);
    return;
  }
  const int32_t tick_in_note = tick_counter % speed;
  const int32_t ticks_left = speed - tick_in_note;
  const int register_index = channel.register_index & 3;
  const SoundNote& note = effect->notes[note_index];

  NoteSound sound = apply_note_effect(effect->notes, note_index, tick_counter, speed, channel.previous_note);
  oscillator.note_pitch = note.pitch;
  oscillator.note_waveform = note.waveform;
  oscillator.note_volume = note.volume;
  oscillator.waveform = note.waveform;
  oscillator.crackle_volume = sound.volume;
  oscillator.instrument_flags = 0;
  oscillator.instrument_note_effect = 0;
  oscillator.drop_factor = 256;

  bool drops_pitch = note.effect == 3;
  if (note.custom_instrument && channel.cartridge_effects) {
    const SoundEffect& instrument = channel.cartridge_effects[std::min<int>(note.waveform, 7)];
    if (tick_in_note == 0) decide_instrument_restart(channel, note, note_index, instrument);
    apply_custom_instrument(channel, instrument, channel.cartridge_effects, sound);
    // A sequence instrument uses the note's drop only to decide restarts.
    drops_pitch = drops_pitch && sound_effect_is_waveform_instrument(instrument);
  } else {
    channel.instrument_tick_counter = 0;
  }

  if (register_bit(registers, kRegisterHalfRate, register_index + 4)) sound.pitch -= 12 * 65536;
  oscillator.pitch = sound.pitch;
  oscillator.integer_pitch = sound.pitch >> 16;

  int32_t increment = pitch_to_increment(sound.pitch);
  const bool note_vibrato = note.effect == 2;
  const bool instrument_vibrato = oscillator.instrument_note_effect == 2;
  if (note_vibrato || instrument_vibrato) {
    const int32_t* table = note_vibrato && instrument_vibrato ? kDoubleVibrato : kVibrato;
    increment = increment * table[(tick_counter >> 1) & 7] >> 7;
  }
  if (drops_pitch) increment = ticks_left * increment / speed;
  if (oscillator.instrument_note_effect == 3) increment = increment * oscillator.drop_factor / 256;

  int32_t volume = sound.volume;
  if (channel.music_flag) {
    volume = static_cast<int32_t>((int64_t{music.fade_volume >> 8} * volume / 256) * music.music_volume / 256);
  }

  const SoundFilters effect_filters = decode_sound_filters(effect->filter_bits);
  const SoundFilters instrument_filters = decode_sound_filters(static_cast<uint8_t>(oscillator.instrument_flags));
  oscillator.detune = std::max(effect_filters.detune, instrument_filters.detune);
  oscillator.buzz = effect_filters.buzz || instrument_filters.buzz;
  oscillator.noiz = effect_filters.noiz || instrument_filters.noiz;
  if (oscillator.waveform == 6 && oscillator.noiz && channel.dampen_level > 11) {
    oscillator.noiz = 2;
    channel.dampen_level = 0;
  }
  oscillator.increment = increment;
  oscillator.second_increment = second_increment_for(oscillator, increment);
  if (oscillator.waveform <= 5 && oscillator.detune > 0) volume = volume * 5 / 4;
  oscillator.volume = volume;
  oscillator.reverb = apply_reverb_registers(std::max(effect_filters.reverb, instrument_filters.reverb),
                                             registers, register_index);
}

}  // namespace tamori::audio
