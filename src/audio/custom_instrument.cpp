#include "audio/custom_instrument.h"

#include <algorithm>

namespace tamori::audio {
namespace {

int32_t instrument_speed(const SoundEffect& instrument) { return std::max<int32_t>(instrument.speed, 1); }

bool instrument_has_run_out(const MixChannel& channel, const SoundEffect& instrument) {
  if (sound_effect_loops(instrument)) return false;
  int64_t length = int64_t{sound_effect_length_in_notes(instrument)} * instrument_speed(instrument);
  return channel.instrument_tick_counter >= length;
}

}  // namespace

void load_wavetable(OscillatorState& oscillator, const SoundEffect& instrument) {
  for (int i = 0; i < kNotesPerSoundEffect; ++i) {
    uint16_t word = encode_sound_note(instrument.notes[i]);
    oscillator.wavetable[2 * i] = static_cast<int8_t>(word & 0xff) * 128;
    oscillator.wavetable[2 * i + 1] = static_cast<int8_t>(word >> 8) * 128;
  }
}

void decide_instrument_restart(MixChannel& channel, const SoundNote& note, int note_index,
                               const SoundEffect& instrument) {
  const bool legato = note.effect == 1 || (note.pitch == channel.previous_note.pitch && note_index > 0);
  bool restart;
  if (note.waveform != channel.previous_note.waveform) {
    restart = true;
  } else if (legato && !instrument_has_run_out(channel, instrument)) {
    restart = note.effect == 3 || note.effect == 4;
  } else {
    restart = note.effect != 3;
  }
  if (restart) channel.instrument_tick_counter = 0;
}

void apply_custom_instrument(MixChannel& channel, const SoundEffect& instrument,
                             const SoundEffect* cartridge_effects, NoteSound& sound) {
  OscillatorState& oscillator = channel.oscillator;
  oscillator.instrument_flags = instrument.filter_bits;
  if (sound_effect_is_waveform_instrument(instrument)) {
    oscillator.waveform = 8;
    if (instrument.speed & 1) sound.pitch -= 12 * 65536;
    load_wavetable(oscillator, instrument);
    return;
  }

  const int32_t speed = instrument_speed(instrument);
  int32_t& tick_counter = channel.instrument_tick_counter;
  if (sound_effect_loops(instrument) && tick_counter >= instrument.loop_end * speed)
    tick_counter = instrument.loop_start * speed;
  const int32_t note_index = tick_counter / speed;
  const int32_t tick_in_note = tick_counter % speed;
  const int32_t note_limit =
      (instrument.loop_end != 0 || instrument.loop_start == 0) ? kNotesPerSoundEffect : instrument.loop_start;
  if (note_index > 31 || note_index >= note_limit) {
    sound.volume = 0;
    oscillator.crackle_volume = 0;
    return;
  }

  const SoundNote& note = instrument.notes[note_index];
  NoteSound inner = apply_note_effect(instrument.notes, note_index, tick_counter, speed,
                                      channel.previous_instrument_note);
  if (note.effect == 3) oscillator.drop_factor = (speed - tick_in_note) * 256 / speed;
  oscillator.instrument_note_effect = note.effect;
  if (tick_in_note == speed - 1) channel.previous_instrument_note = {note.pitch, note.waveform, note.volume};

  oscillator.waveform = note.waveform;
  if (note.custom_instrument) {
    // Only one level of nesting counts: a waveform instrument's wave.
    const SoundEffect& nested = cartridge_effects[std::min<int>(note.waveform, 7)];
    if (sound_effect_is_waveform_instrument(nested)) {
      oscillator.waveform = 8;
      load_wavetable(oscillator, nested);
    }
  }
  sound.pitch += inner.pitch - 24 * 65536;
  oscillator.crackle_volume = inner.volume * 7 / std::max<int32_t>(note.volume, 1);
  sound.volume = static_cast<int32_t>(int64_t{inner.volume} * sound.volume / 1792);
}

}  // namespace tamori::audio
