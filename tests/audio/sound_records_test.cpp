#include "audio/sound_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace tamori::audio {
namespace {

TEST(SoundRecords, NoteFieldsSitAtTheirBitPositions) {
  struct Case {
    uint16_t word;
    SoundNote note;
  };
  const Case cases[] = {
      {0x0000, {0, 0, 0, 0, false}},
      {0x003f, {63, 0, 0, 0, false}},
      {0x01c0, {0, 7, 0, 0, false}},
      {0x0e00, {0, 0, 7, 0, false}},
      {0x7000, {0, 0, 0, 7, false}},
      {0x8000, {0, 0, 0, 0, true}},
      // pitch 33, waveform 3, volume 5, effect 2, custom
      {static_cast<uint16_t>(33 | 3 << 6 | 5 << 9 | 2 << 12 | 0x8000), {33, 3, 5, 2, true}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decode_sound_note(c.word), c.note) << std::hex << c.word;
    EXPECT_EQ(encode_sound_note(c.note), c.word) << std::hex << c.word;
  }
}

TEST(SoundRecords, EffectBytesMapToFields) {
  uint8_t bytes[kSoundEffectByteSize] = {};
  // note 0 = 0x3a21: pitch 0x21, waveform 0, volume 5, effect 3
  bytes[0] = 0x21;
  bytes[1] = 0x3a;
  // note 31 = 0xffff
  bytes[62] = 0xff;
  bytes[63] = 0xff;
  bytes[64] = 0x2b;  // filters 0x2a, editor mode
  bytes[65] = 9;
  bytes[66] = 0x85;
  bytes[67] = 12;
  SoundEffect effect = decode_sound_effect(bytes);
  EXPECT_EQ(effect.notes[0], (SoundNote{0x21, 0, 5, 3, false}));
  EXPECT_EQ(effect.notes[31], (SoundNote{63, 7, 7, 7, true}));
  EXPECT_EQ(effect.notes[5], SoundNote{});
  EXPECT_EQ(effect.filter_bits, 0x2a);
  EXPECT_TRUE(effect.editor_mode);
  EXPECT_EQ(effect.speed, 9);
  EXPECT_EQ(effect.loop_start, 0x85);
  EXPECT_EQ(effect.loop_end, 12);
  EXPECT_TRUE(sound_effect_is_waveform_instrument(effect));
}

TEST(SoundRecords, PatternBytesMapToTracksAndFlags) {
  const uint8_t bytes[4] = {0x81, 0x42, 0x83, 0x3f};
  MusicPattern pattern = decode_music_pattern(bytes);
  EXPECT_EQ(pattern.tracks[0], 1);
  EXPECT_EQ(pattern.tracks[1], 0x42);
  EXPECT_EQ(pattern.tracks[2], 3);
  EXPECT_EQ(pattern.tracks[3], 0x3f);
  EXPECT_EQ(pattern.flags, kMusicFlagLoopStart | kMusicFlagStop);
  uint8_t encoded[4];
  encode_music_pattern(default_music_pattern(), encoded);
  EXPECT_EQ(encoded[0], 0x41);
  EXPECT_EQ(encoded[3], 0x44);
}

TEST(SoundRecords, EveryByteStringSurvivesDecodeAndEncode) {
  std::mt19937 random(1234);
  for (int round = 0; round < 500; ++round) {
    uint8_t bytes[kSoundEffectByteSize];
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    uint8_t encoded[kSoundEffectByteSize];
    encode_sound_effect(decode_sound_effect(bytes), encoded);
    ASSERT_EQ(0, memcmp(bytes, encoded, sizeof bytes)) << "round " << round;

    uint8_t pattern_bytes[4];
    for (uint8_t& b : pattern_bytes) b = static_cast<uint8_t>(random());
    uint8_t pattern_encoded[4];
    encode_music_pattern(decode_music_pattern(pattern_bytes), pattern_encoded);
    ASSERT_EQ(0, memcmp(pattern_bytes, pattern_encoded, 4));
  }
}

TEST(SoundRecords, RandomRecordsSurviveEncodeAndDecode) {
  std::mt19937 random(99);
  for (int round = 0; round < 500; ++round) {
    SoundEffect effect;
    for (SoundNote& note : effect.notes) {
      note.pitch = static_cast<uint8_t>(random() % 64);
      note.waveform = static_cast<uint8_t>(random() % 8);
      note.volume = static_cast<uint8_t>(random() % 8);
      note.effect = static_cast<uint8_t>(random() % 8);
      note.custom_instrument = random() % 2;
    }
    effect.filter_bits = static_cast<uint8_t>(random() & 0xfe);
    effect.editor_mode = random() % 2;
    effect.speed = static_cast<uint8_t>(random());
    effect.loop_start = static_cast<uint8_t>(random());
    effect.loop_end = static_cast<uint8_t>(random());
    uint8_t bytes[kSoundEffectByteSize];
    encode_sound_effect(effect, bytes);
    ASSERT_EQ(decode_sound_effect(bytes), effect) << "round " << round;

    MusicPattern pattern;
    for (uint8_t& track : pattern.tracks) track = static_cast<uint8_t>(random() % 128);
    pattern.flags = static_cast<uint8_t>(random() % 16);
    uint8_t pattern_bytes[4];
    encode_music_pattern(pattern, pattern_bytes);
    ASSERT_EQ(decode_music_pattern(pattern_bytes), pattern);
  }
}

TEST(SoundRecords, SingleByteWritesChangeOnlyTheirNote) {
  SoundEffect effect = default_sound_effect(3);
  write_sound_effect_byte(effect, 7, 0x8e);  // high byte of note 3
  EXPECT_EQ(effect.notes[3], (SoundNote{0, 0, 7, 0, true}));
  EXPECT_EQ(read_sound_effect_byte(effect, 7), 0x8e);
  EXPECT_EQ(read_sound_effect_byte(effect, 6), 0);
  EXPECT_EQ(effect.notes[2], SoundNote{});
  EXPECT_EQ(effect.speed, 16);
  EXPECT_EQ(default_sound_effect(0).speed, 1);
}

TEST(SoundRecords, FilterDigitsDecode) {
  struct Case {
    uint8_t bits;
    SoundFilters filters;
  };
  const Case cases[] = {
      {0x00, {false, false, 0, 0, 0}},
      {0x02, {true, false, 0, 0, 0}},
      {0x04, {false, true, 0, 0, 0}},
      {1 << 3, {false, false, 1, 0, 0}},
      {2 << 3, {false, false, 2, 0, 0}},
      {3 << 3, {false, false, 0, 1, 0}},
      {9 << 3, {false, false, 0, 0, 1}},
      {static_cast<uint8_t>((2 + 3 * 2 + 9 * 2) << 3 | 6), {true, true, 2, 2, 2}},
  };
  for (const Case& c : cases) {
    SoundFilters f = decode_sound_filters(c.bits);
    EXPECT_EQ(f.noiz, c.filters.noiz) << int(c.bits);
    EXPECT_EQ(f.buzz, c.filters.buzz) << int(c.bits);
    EXPECT_EQ(f.detune, c.filters.detune) << int(c.bits);
    EXPECT_EQ(f.reverb, c.filters.reverb) << int(c.bits);
    EXPECT_EQ(f.dampen, c.filters.dampen) << int(c.bits);
  }
}

TEST(SoundRecords, LengthAndLooping) {
  struct Case {
    uint8_t loop_start, loop_end;
    int length;
    bool loops;
  };
  const Case cases[] = {
      {0, 0, 32, false}, {8, 0, 8, false},   {127, 0, 127, false}, {4, 8, 32, true},
      {8, 8, 32, false}, {0x80, 0, 0, false}, {0x81, 0xff, 0, false},
  };
  for (const Case& c : cases) {
    SoundEffect effect;
    effect.loop_start = c.loop_start;
    effect.loop_end = c.loop_end;
    EXPECT_EQ(sound_effect_length_in_notes(effect), c.length) << int(c.loop_start) << "," << int(c.loop_end);
    EXPECT_EQ(sound_effect_loops(effect), c.loops) << int(c.loop_start) << "," << int(c.loop_end);
  }
}

}  // namespace
}  // namespace tamori::audio
