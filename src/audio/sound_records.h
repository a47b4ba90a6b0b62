// Decoded sound-effect and music-pattern records and their byte layouts.
//
// Memory (0x3100..0x42ff) and the cartridge formats hold these as bytes; the
// rest of the console keeps them decoded. This file converts both ways, byte
// for byte, so that any byte written can be read back unchanged.
#pragma once

#include <cstdint>

namespace tamori::audio {

constexpr int kSoundEffectCount = 64;
constexpr int kNotesPerSoundEffect = 32;
constexpr int kSoundEffectByteSize = 68;
constexpr int kMusicPatternCount = 64;
constexpr int kMusicPatternByteSize = 4;

// One note of a sound effect (a 16-bit word in memory).
struct SoundNote {
  uint8_t pitch = 0;               // 0..63; pitch 33 is 440 Hz
  uint8_t waveform = 0;            // 0..7; names instrument 0..7 when custom
  uint8_t volume = 0;              // 0..7, 0 = silent
  uint8_t effect = 0;              // 0..7
  bool custom_instrument = false;  // waveform names an effect used as instrument

  bool operator==(const SoundNote&) const = default;
};

// Filter bits of the mode-and-filter byte (byte 64 of an effect).
constexpr uint8_t kFilterNoiz = 0x02;
constexpr uint8_t kFilterBuzz = 0x04;

struct SoundEffect {
  SoundNote notes[kNotesPerSoundEffect];
  uint8_t filter_bits = 0;    // bits 1..7 of byte 64, bit 0 always clear
  bool editor_mode = false;   // bit 0 of byte 64; kept but not played
  uint8_t speed = 0;          // ticks per note; 0 and 1 both mean 1
  uint8_t loop_start = 0;     // bit 7 set marks a waveform instrument
  uint8_t loop_end = 0;

  bool operator==(const SoundEffect&) const = default;
};

// Music pattern: four track values (0..63 an effect, 64..127 silent) and one
// flag per track (flag 0 loop start, 1 loop back, 2 stop, 3 unused).
constexpr uint8_t kMusicFlagLoopStart = 0x01;
constexpr uint8_t kMusicFlagLoopBack = 0x02;
constexpr uint8_t kMusicFlagStop = 0x04;

struct MusicPattern {
  uint8_t tracks[4] = {0x41, 0x42, 0x43, 0x44};
  uint8_t flags = 0;  // bit k = flag k

  bool operator==(const MusicPattern&) const = default;
};

// Note words.
uint16_t encode_sound_note(const SoundNote& note);
SoundNote decode_sound_note(uint16_t word);

// Whole records: `bytes` holds kSoundEffectByteSize / kMusicPatternByteSize bytes.
void encode_sound_effect(const SoundEffect& effect, uint8_t* bytes);
SoundEffect decode_sound_effect(const uint8_t* bytes);
void encode_music_pattern(const MusicPattern& pattern, uint8_t* bytes);
MusicPattern decode_music_pattern(const uint8_t* bytes);

// Single bytes of a record, for the byte-addressed view of memory.
// `offset` is 0..67 for effects and 0..3 for patterns (taken modulo the size).
uint8_t read_sound_effect_byte(const SoundEffect& effect, int offset);
void write_sound_effect_byte(SoundEffect& effect, int offset, uint8_t value);
uint8_t read_music_pattern_byte(const MusicPattern& pattern, int offset);
void write_music_pattern_byte(MusicPattern& pattern, int offset, uint8_t value);

// Records of a new cartridge: speed 1 for effect 0 and 16 for the others;
// every pattern silent (0x41..0x44) with no flags.
SoundEffect default_sound_effect(int index);
MusicPattern default_music_pattern();

// Filter settings held in the filter bits.
struct SoundFilters {
  bool noiz = false;
  bool buzz = false;
  int detune = 0;  // 0..2
  int reverb = 0;  // 0..2
  int dampen = 0;  // 0..2
};
SoundFilters decode_sound_filters(uint8_t filter_bits);

// True when loop start bit 7 marks the effect as a waveform instrument.
bool sound_effect_is_waveform_instrument(const SoundEffect& effect);
// Length in notes: 0 for a waveform instrument, loop start for a short
// effect (loop end 0, loop start above 0), else 32.
int sound_effect_length_in_notes(const SoundEffect& effect);
// An effect loops when it is no waveform instrument and loop end > loop start.
bool sound_effect_loops(const SoundEffect& effect);

}  // namespace tamori::audio
