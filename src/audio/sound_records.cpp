#include "audio/sound_records.h"

namespace tamori::audio {

uint16_t encode_sound_note(const SoundNote& note) {
  return static_cast<uint16_t>((note.pitch & 0x3f) | ((note.waveform & 7) << 6) |
                               ((note.volume & 7) << 9) | ((note.effect & 7) << 12) |
                               (note.custom_instrument ? 0x8000 : 0));
}

SoundNote decode_sound_note(uint16_t word) {
  SoundNote note;
  note.pitch = static_cast<uint8_t>(word & 0x3f);
  note.waveform = static_cast<uint8_t>((word >> 6) & 7);
  note.volume = static_cast<uint8_t>((word >> 9) & 7);
  note.effect = static_cast<uint8_t>((word >> 12) & 7);
  note.custom_instrument = (word & 0x8000) != 0;
  return note;
}

uint8_t read_sound_effect_byte(const SoundEffect& effect, int offset) {
  offset %= kSoundEffectByteSize;
  if (offset < 0) offset += kSoundEffectByteSize;
  if (offset < 64) {
    uint16_t word = encode_sound_note(effect.notes[offset >> 1]);
    return static_cast<uint8_t>((offset & 1) ? word >> 8 : word & 0xff);
  }
  switch (offset) {
    case 64: return static_cast<uint8_t>((effect.filter_bits & 0xfe) | (effect.editor_mode ? 1 : 0));
    case 65: return effect.speed;
    case 66: return effect.loop_start;
    default: return effect.loop_end;
  }
}

void write_sound_effect_byte(SoundEffect& effect, int offset, uint8_t value) {
  offset %= kSoundEffectByteSize;
  if (offset < 0) offset += kSoundEffectByteSize;
  if (offset < 64) {
    SoundNote& note = effect.notes[offset >> 1];
    uint16_t word = encode_sound_note(note);
    word = (offset & 1) ? static_cast<uint16_t>((word & 0x00ff) | (value << 8))
                        : static_cast<uint16_t>((word & 0xff00) | value);
    note = decode_sound_note(word);
    return;
  }
  switch (offset) {
    case 64:
      effect.filter_bits = static_cast<uint8_t>(value & 0xfe);
      effect.editor_mode = (value & 1) != 0;
      break;
    case 65: effect.speed = value; break;
    case 66: effect.loop_start = value; break;
    default: effect.loop_end = value; break;
  }
}

void encode_sound_effect(const SoundEffect& effect, uint8_t* bytes) {
  for (int offset = 0; offset < kSoundEffectByteSize; ++offset)
    bytes[offset] = read_sound_effect_byte(effect, offset);
}

SoundEffect decode_sound_effect(const uint8_t* bytes) {
  SoundEffect effect;
  for (int offset = 0; offset < kSoundEffectByteSize; ++offset)
    write_sound_effect_byte(effect, offset, bytes[offset]);
  return effect;
}

uint8_t read_music_pattern_byte(const MusicPattern& pattern, int offset) {
  offset &= 3;
  return static_cast<uint8_t>((pattern.tracks[offset] & 0x7f) | (((pattern.flags >> offset) & 1) << 7));
}

void write_music_pattern_byte(MusicPattern& pattern, int offset, uint8_t value) {
  offset &= 3;
  pattern.tracks[offset] = static_cast<uint8_t>(value & 0x7f);
  uint8_t flag_bit = static_cast<uint8_t>(1u << offset);
  pattern.flags = static_cast<uint8_t>((value & 0x80) ? (pattern.flags | flag_bit) : (pattern.flags & ~flag_bit));
}

void encode_music_pattern(const MusicPattern& pattern, uint8_t* bytes) {
  for (int offset = 0; offset < kMusicPatternByteSize; ++offset)
    bytes[offset] = read_music_pattern_byte(pattern, offset);
}

MusicPattern decode_music_pattern(const uint8_t* bytes) {
  MusicPattern pattern;
  pattern.flags = 0;
  for (int offset = 0; offset < kMusicPatternByteSize; ++offset)
    write_music_pattern_byte(pattern, offset, bytes[offset]);
  return pattern;
}

SoundEffect default_sound_effect(int index) {
  SoundEffect effect;
  effect.speed = index == 0 ? 1 : 16;
  return effect;
}

MusicPattern default_music_pattern() { return MusicPattern{}; }

SoundFilters decode_sound_filters(uint8_t filter_bits) {
  SoundFilters filters;
  filters.noiz = (filter_bits & kFilterNoiz) != 0;
  filters.buzz = (filter_bits & kFilterBuzz) != 0;
  int digits = filter_bits >> 3;
  filters.detune = digits % 3;
  filters.reverb = (digits / 3) % 3;
  filters.dampen = (digits / 9) % 3;
  return filters;
}

bool sound_effect_is_waveform_instrument(const SoundEffect& effect) {
  return (effect.loop_start & 0x80) != 0;
}

int sound_effect_length_in_notes(const SoundEffect& effect) {
  if (sound_effect_is_waveform_instrument(effect)) return 0;
  if (effect.loop_end == 0 && effect.loop_start > 0) return effect.loop_start;
  return kNotesPerSoundEffect;
}

bool sound_effect_loops(const SoundEffect& effect) {
  return !sound_effect_is_waveform_instrument(effect) && effect.loop_end > effect.loop_start;
}

}  // namespace tamori::audio
