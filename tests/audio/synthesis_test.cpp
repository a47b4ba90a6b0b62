// Rendered samples and oscillator settings of single channels: pitch,
// timing, loops and the stop rule, note effects, custom instruments, the
// audio registers and the release tail.
#include "audio/channel_control.h"
#include "audio/pitch_increment.h"
#include "audio/sfx_playback.h"
#include "audio_fixture.h"

namespace tamori::audio::testing {
namespace {

struct Synthesis : AudioFixture {
  void play(int effect, int channel, int offset = 0, int length = 0) {
    ASSERT_EQ(ruvo_play_sfx_ex(*audio, effect, offset, length, effects, channel), channel);
  }
  const OscillatorState& oscillator(int channel) const { return audio->channels[channel].oscillator; }
  // Ticks until the channel's effect stops, rendering at most `limit`.
  int ticks_until_stopped(int channel, int limit) {
    for (int tick = 1; tick <= limit; ++tick) {
      render_ticks(channel, 1);
      if (!audio->channels[channel].effect) return tick;
    }
    return -1;
  }
};

TEST(PitchIncrement, SemitonesOctavesAndLimits) {
  struct Case {
    int32_t pitch;
    int32_t increment;
  };
  const Case cases[] = {
      {33 << 16, 1307},             // 440 Hz: 65536 * 880 / 22050 = 2615, one octave down
      {36 << 16, 1554},             // the table's own octave
      {48 << 16, 3108},             // one octave up
      {11 << 16, 365},
      {0, 194},                     // three octaves down
      {(33 << 16) + 32768, 1346},   // halfway between 880 and 932
      {21 << 16, 653},              // pitch 33 lowered by an octave
      {-48 << 16, 12},              // negative pitches wrap into the table
      {-60 << 16, 8},               // lower limit
      {102 << 16, 32768},           // upper limit
  };
  for (const Case& c : cases) EXPECT_EQ(pitch_to_increment(c.pitch), c.increment) << c.pitch / 65536.0;
}

TEST_F(Synthesis, Pitch33TriangleIs440Hertz) {
  fill_effect(0, {33, 0, 5, 0, false}, 32);
  play(0, 0);
  std::vector<int16_t> samples = render_ticks(0, 130);
  EXPECT_EQ(oscillator(0).increment, 1307);
  // One second, starting after the first tick's fade-in.
  int crossings = upward_zero_crossings(samples, kTickSamples, kTickSamples + kSampleRate);
  EXPECT_NEAR(crossings, 440, 1);
}

TEST_F(Synthesis, HalfRateAndOctaveRegistersLowerThePitch) {
  fill_effect(0, {33, 0, 5, 0, false}, 64);
  registers[kRegisterHalfRate] = 0x01;  // channel 0 at half rate
  play(0, 0);
  std::vector<int16_t> samples = render_ticks(0, 130);
  // Each callback of 183 samples synthesises 92 and drops the last, so the
  // octave is a shade sharp: 440 * 92 / 183 = 221 Hz.
  EXPECT_NEAR(upward_zero_crossings(samples, 2 * kTickSamples, 2 * kTickSamples + kSampleRate), 221, 1);
  // About half as many ticks have passed: 130 * 92 synthesised samples.
  EXPECT_EQ(audio->channels[0].tick_counter, (130 * 92 + kTickSamples - 1) / kTickSamples);

  registers[kRegisterHalfRate] = 0x10;  // channel 0 an octave lower, normal rate
  play(0, 0);
  samples = render_ticks(0, 130);
  EXPECT_EQ(oscillator(0).increment, 653);
  EXPECT_NEAR(upward_zero_crossings(samples, kTickSamples, kTickSamples + kSampleRate), 220, 1);
  EXPECT_EQ(audio->channels[0].tick_counter, 130);
}

TEST_F(Synthesis, SpeedZeroPlaysLikeSpeedOne) {
  for (int note = 0; note < 32; ++note) effects[0].notes[note] = {static_cast<uint8_t>(20 + note), 2, 6, 0, false};
  effects[1] = effects[0];
  effects[0].speed = 0;
  effects[1].speed = 1;
  play(0, 0);
  play(1, 1);
  std::vector<int16_t> speed_zero = render_ticks(0, 40);
  std::vector<int16_t> speed_one = render_ticks(1, 40);
  EXPECT_EQ(speed_zero, speed_one);
  // 32 notes of one tick each, then silence after the release tail.
  EXPECT_EQ(audio->channels[0].effect, nullptr);
  EXPECT_EQ(peak(speed_zero, 33 * kTickSamples, speed_zero.size()), 0);
  EXPECT_GT(peak(speed_zero, 31 * kTickSamples, 32 * kTickSamples), 0);
}

TEST_F(Synthesis, LoopRepeatsUntilReleasedThenPlaysToTheEnd) {
  for (int note = 0; note < 32; ++note) effects[0].notes[note] = {static_cast<uint8_t>(note), 0, 5, 0, false};
  effects[0].speed = 2;
  effects[0].loop_start = 8;
  effects[0].loop_end = 16;
  play(0, 0);
  for (int tick = 0; tick < 100; ++tick) {
    int expected = tick / 2 < 16 ? tick / 2 : 8 + (tick / 2 - 16) % 8;
    ASSERT_EQ(playing_note(*audio, &effects[0]), expected) << tick;
    render_ticks(0, 1);
  }
  // Now at note 10 (tick 100: 100/2 = 50 -> 8 + 34 % 8).
  release_looping(*audio, 0);
  EXPECT_EQ(ticks_until_stopped(0, 100), (32 - 10) * 2);

  // Loop start 8 with loop end 0 is an eight-note effect.
  effects[0].loop_end = 0;
  play(0, 0);
  EXPECT_EQ(ticks_until_stopped(0, 100), 8 * 2);
}

TEST_F(Synthesis, SilentRestStopsAtOnceUnlessReverbRingsOn) {
  fill_effect(0, {40, 3, 0, 0, false}, 4);
  play(0, 0);
  EXPECT_EQ(ticks_until_stopped(0, 10), 1);

  fill_effect(0, {40, 3, 0, 0, false}, 4).filter_bits = 1 * 3 << 3;  // reverb 1
  play(0, 0);
  EXPECT_EQ(ticks_until_stopped(0, 1000), 32 * 4);

  // A 40-note effect: silent notes 32..39 and a 128-tick echo tail...
  effects[0].loop_start = 40;
  effects[0].speed = 20;
  play(0, 0);
  EXPECT_EQ(ticks_until_stopped(0, 1000), 32 * 20 + 128);
  // ...cut short by the effect's own length when that comes first.
  effects[0].speed = 2;
  play(0, 0);
  EXPECT_EQ(ticks_until_stopped(0, 1000), 40 * 2);

  // Without reverb a slide into the next note counts as sounding.
  fill_effect(0, {40, 3, 0, 0, false}, 1);
  effects[0].notes[1].effect = 1;
  play(0, 0);
  EXPECT_EQ(ticks_until_stopped(0, 10), 2);
}

TEST_F(Synthesis, ReverbEchoesAfterTheSoundEnds) {
  SoundEffect& effect = fill_effect(0, {40, 3, 0, 0, false}, 1);
  effect.notes[0] = {40, 3, 7, 0, false};
  effect.filter_bits = 2 * 3 << 3;  // reverb 2: four ticks back
  play(0, 0);
  std::vector<int16_t> samples = render_ticks(0, 12);
  // Ticks 1..3 carry only the echo of silence; tick 4 repeats tick 0 at half.
  EXPECT_EQ(peak(samples, 3 * kTickSamples, 4 * kTickSamples), 0);
  int first = peak(samples, kTickSamples / 2, kTickSamples);
  int echo = peak(samples, 4 * kTickSamples + kTickSamples / 2, 5 * kTickSamples);
  EXPECT_NEAR(echo, first / 2, 1);
  int second_echo = peak(samples, 8 * kTickSamples + kTickSamples / 2, 9 * kTickSamples);
  EXPECT_NEAR(second_echo, first / 4, 1);

  // Reverb 1 echoes two ticks back.
  effect.filter_bits = 1 * 3 << 3;
  play(0, 0);
  samples = render_ticks(0, 6);
  first = peak(samples, kTickSamples / 2, kTickSamples);
  EXPECT_EQ(peak(samples, kTickSamples + kCrossFadeSamples, 2 * kTickSamples), 0);
  EXPECT_NEAR(peak(samples, 2 * kTickSamples + kTickSamples / 2, 3 * kTickSamples), first / 2, 1);
}

TEST_F(Synthesis, NoteEffectsShapePitchVolumeAndIncrement) {
  struct Case {
    const char* name;
    int effect;
    int speed;
    int tick;  // tick of the effect, within note 1
    int32_t pitch;
    int32_t volume;
    int32_t increment;  // -1: not checked
  };
  // Note 0 is pitch 24 volume 5; note 1 is pitch 36 volume 7 with the effect;
  // notes 2 and 3 pitches 30 and 40.
  const Case cases[] = {
      {"slide start", 1, 4, 4, 24 << 16, 1280, -1},
      {"slide quarter", 1, 4, 5, 27 << 16, 1408, -1},
      {"slide three quarters", 1, 4, 7, 33 << 16, 1664, -1},
      {"fade in start", 4, 4, 4, 36 << 16, 0, -1},
      {"fade in half", 4, 4, 6, 36 << 16, 896, -1},
      {"fade out start", 5, 4, 4, 36 << 16, 1792, -1},
      {"fade out end", 5, 4, 7, 36 << 16, 448, -1},
      {"fast arpeggio", 6, 4, 4, 30 << 16, 1792, -1},
      {"fast arpeggio next", 6, 4, 6, 40 << 16, 1792, -1},
      {"slow arpeggio", 7, 4, 4, 36 << 16, 1792, -1},
      {"slow arpeggio at speed 10", 7, 10, 16, 30 << 16, 1792, -1},
      {"fast arpeggio at speed 10", 6, 10, 12, 40 << 16, 1792, -1},
      {"vibrato", 2, 4, 4, 36 << 16, 1792, 1554 * 130 >> 7},
      {"vibrato low", 2, 16, 28, 36 << 16, 1792, 1554 * 126 >> 7},
      {"drop start", 3, 4, 4, 36 << 16, 1792, 1554},
      {"drop", 3, 4, 5, 36 << 16, 1792, 3 * 1554 / 4},
      {"drop end", 3, 4, 7, 36 << 16, 1792, 1554 / 4},
  };
  for (const Case& c : cases) {
    stop_all_sounds(*audio);
    SoundEffect& effect = fill_effect(0, {24, 0, 5, 0, false}, c.speed);
    effect.notes[1] = {36, 0, 7, static_cast<uint8_t>(c.effect), false};
    effect.notes[2] = {30, 0, 7, 0, false};
    effect.notes[3] = {40, 0, 7, 0, false};
    play(0, 0);
    render_ticks(0, c.tick + 1);
    EXPECT_EQ(oscillator(0).pitch, c.pitch) << c.name;
    EXPECT_EQ(oscillator(0).volume, c.volume) << c.name;
    if (c.increment >= 0) {
      EXPECT_EQ(oscillator(0).increment, c.increment) << c.name;
    }
  }
}

TEST_F(Synthesis, WaveformShapesReachTheirPeaksAndDuty) {
  struct Case {
    int waveform;
    int peak_high;        // largest sample
    int peak_low;         // smallest sample
    double positive_share;  // share of samples above zero; < 0: not checked
  };
  // Volume 7: amplitude 2688, and every shape is scaled by 2688 / 3072.
  const Case cases[] = {
      {0, 16126, -16128, 0.5},   // (49149 / 4 + 49149 / 8) at the apex
      {1, 16125, -16125, -1},    // +-(12286 + 12286 / 2) at the knee and at zero
      {2, 10750, -10752, 0.5},   // 32767 / 4 + 32767 / 8 up, -8192 - 4096 down
      {3, 8062, -8062, 0.5},     // 6143 + 3071
      {4, 8062, -8062, 0.3125},  // high above phase 45056
      {5, 10752, -10752, -1},    // organ: 8192 + 4096 either way
  };
  for (const Case& c : cases) {
    fill_effect(0, {33, static_cast<uint8_t>(c.waveform), 7, 0, false}, 32);
    play(0, 0);
    std::vector<int16_t> samples = render_ticks(0, 60);
    int high = 0, low = 0, positive = 0, counted = 0;
    for (size_t i = 2 * kTickSamples; i < samples.size(); ++i, ++counted) {
      high = std::max<int>(high, samples[i]);
      low = std::min<int>(low, samples[i]);
      positive += samples[i] > 0;
    }
    EXPECT_NEAR(high, c.peak_high, 40) << c.waveform;
    EXPECT_LE(high, c.peak_high) << c.waveform;
    EXPECT_NEAR(low, c.peak_low, 40) << c.waveform;
    EXPECT_GE(low, c.peak_low) << c.waveform;
    if (c.positive_share >= 0) {
      EXPECT_NEAR(double(positive) / counted, c.positive_share, 0.01) << c.waveform;
    }
  }
}

TEST_F(Synthesis, FiltersSetTheSecondVoiceAndLoudness) {
  struct Case {
    int waveform;
    int detune;
    int32_t second_increment;
    int32_t volume;
  };
  // Pitch 33 (increment 1307) at volume 7 (1792).
  const Case cases[] = {
      {0, 0, 1307, 1792},
      {0, 1, 1307 * 193 / 256, 1792 * 5 / 4},
      {0, 2, 1307 * 384 / 256, 1792 * 5 / 4},
      {7, 0, 1307 * 254 / 256, 1792},
      {7, 1, 1307 * 250 / 256, 1792},
      {7, 2, 1307 * 508 / 256, 1792},
      {2, 0, 1307, 1792},
      {2, 1, 1307 * 255 / 256, 1792 * 5 / 4},
      {5, 2, 1307 * 255 / 256, 1792 * 5 / 4},
      {6, 1, 1307 * 255 / 256, 1792},
  };
  for (const Case& c : cases) {
    fill_effect(0, {33, static_cast<uint8_t>(c.waveform), 7, 0, false}, 8).filter_bits =
        static_cast<uint8_t>(c.detune << 3);
    play(0, 0);
    render_ticks(0, 1);
    EXPECT_EQ(oscillator(0).increment, 1307) << c.waveform << " " << c.detune;
    EXPECT_EQ(oscillator(0).second_increment, c.second_increment) << c.waveform << " " << c.detune;
    EXPECT_EQ(oscillator(0).volume, c.volume) << c.waveform << " " << c.detune;
  }
}

TEST_F(Synthesis, StrongDampeningTurnsHeldNoiseIntoRamps) {
  fill_effect(0, {0, 6, 7, 0, false}, 32).filter_bits = kFilterNoiz;
  registers[kRegisterDampen] = 0x01;  // level 12
  play(0, 0);
  std::vector<int16_t> samples = render_ticks(0, 4);
  EXPECT_EQ(oscillator(0).noiz, 2);
  EXPECT_EQ(audio->channels[0].dampen_level, 0);
  // Between two held values the output moves a little every sample.
  int changes = 0;
  for (size_t i = 2 * kTickSamples; i < samples.size(); ++i) changes += samples[i] != samples[i - 1];
  EXPECT_GT(changes, 2 * kTickSamples * 3 / 4);
  registers[kRegisterDampen] = 0x10;  // level 8 keeps plain holds and dampens them
  render_ticks(0, 1);
  EXPECT_EQ(oscillator(0).noiz, 1);
  EXPECT_EQ(audio->channels[0].dampen_level, 8);
}

TEST_F(Synthesis, WaveformInstrumentPlaysItsNoteBytesAsOneCycle) {
  SoundEffect& instrument = effects[2];
  for (int i = 0; i < 32; ++i) instrument.notes[i] = decode_sound_note(static_cast<uint16_t>(((i * 8 + 4) << 8) | (i * 8)));
  instrument.loop_start = 0x80;
  instrument.speed = 2;  // even: no octave drop
  fill_effect(0, {33, 2, 7, 0, true}, 8);
  play(0, 0);
  std::vector<int16_t> samples = render_ticks(0, 3);
  EXPECT_EQ(oscillator(0).waveform, 8);
  EXPECT_EQ(oscillator(0).pitch, 33 << 16);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(oscillator(0).wavetable[i], static_cast<int8_t>(i * 4) * 128) << i;
  // A saw-like ramp through zero (byte 32 is 128, i.e. -128): the wave is heard.
  EXPECT_GT(peak(samples, kTickSamples, 3 * kTickSamples), 1000);

  instrument.speed = 3;  // odd speed plays an octave lower
  render_ticks(0, 1);
  EXPECT_EQ(oscillator(0).pitch, 21 << 16);
  EXPECT_EQ(oscillator(0).increment, 653);
}

TEST_F(Synthesis, SequenceInstrumentTransposesScalesAndRunsOut) {
  // Instrument 1: two notes, pitch 36 (an octave above its root 24) at
  // volume 7 then pitch 24 at volume 3, square wave, then it ends.
  SoundEffect& instrument = effects[1];
  instrument.notes[0] = {36, 3, 7, 0, false};
  instrument.notes[1] = {24, 3, 3, 0, false};
  instrument.speed = 2;
  instrument.loop_start = 2;
  fill_effect(0, {30, 1, 7, 0, true}, 16);
  play(0, 0);
  render_ticks(0, 1);
  EXPECT_EQ(oscillator(0).waveform, 3);
  EXPECT_EQ(oscillator(0).pitch, 42 << 16);
  EXPECT_EQ(oscillator(0).volume, 1792);
  render_ticks(0, 2);
  EXPECT_EQ(oscillator(0).pitch, 30 << 16);
  EXPECT_EQ(oscillator(0).volume, 768 * 1792 / 1792);
  render_ticks(0, 2);
  EXPECT_EQ(oscillator(0).volume, 0);
  // It stays silent to the end of the note; the next note at the same pitch
  // would continue it, but it has run out, so it starts again.
  render_ticks(0, 11);
  EXPECT_EQ(oscillator(0).volume, 0);
  render_ticks(0, 1);
  EXPECT_EQ(oscillator(0).pitch, 42 << 16);
  EXPECT_EQ(oscillator(0).volume, 1792);
}

TEST_F(Synthesis, LoopingInstrumentContinuesAcrossLegatoNotes) {
  SoundEffect& instrument = effects[1];
  instrument.notes[0] = {36, 3, 7, 0, false};
  instrument.notes[1] = {24, 3, 3, 0, false};
  instrument.speed = 3;
  instrument.loop_start = 0;
  instrument.loop_end = 2;
  fill_effect(0, {30, 1, 7, 0, true}, 4);
  effects[0].notes[2].pitch = 31;
  play(0, 0);
  render_ticks(0, 5);
  // Tick 4 starts note 1 at the same pitch: the instrument runs on into its
  // second note instead of starting over.
  EXPECT_EQ(oscillator(0).pitch, 30 << 16);
  EXPECT_EQ(oscillator(0).volume, 768);
  render_ticks(0, 2);
  EXPECT_EQ(oscillator(0).pitch, 42 << 16);  // looped back to its first note
  // Note 2 has a new pitch: the instrument starts over.
  render_ticks(0, 2);
  EXPECT_EQ(oscillator(0).pitch, 43 << 16);
  EXPECT_EQ(audio->channels[0].instrument_tick_counter, 1);
}

TEST_F(Synthesis, DistortionAndBitCrushRegisters) {
  auto render_with = [&](uint8_t distort_register) {
    audio = std::make_unique<AudioState>();
    registers[kRegisterDistort] = 0;
    render_channel(*audio, 1, kTickSamples, registers);
    registers[kRegisterDistort] = distort_register;
    fill_effect(0, {30, 0, 7, 0, false}, 8);
    play(0, 1);
    return render_ticks(1, 4);
  };
  const std::vector<int16_t> plain = render_with(0);
  ASSERT_GT(peak(plain, 0, plain.size()), 4096);
  struct Case {
    uint8_t distort_register;
    int16_t (*expected)(int16_t);
  };
  const Case cases[] = {
      {0x02, [](int16_t s) { return static_cast<int16_t>(s / 4096 * 4096); }},
      {0x12, [](int16_t s) { return static_cast<int16_t>(s / 4096 * 4096); }},  // distortion wins
      {0x20, [](int16_t s) { return static_cast<int16_t>(static_cast<uint16_t>(s) & 0xf007); }},
      {0x11, [](int16_t s) { return s; }},  // other channels' bits
  };
  for (const Case& c : cases) {
    const std::vector<int16_t> changed = render_with(c.distort_register);
    for (size_t i = 0; i < plain.size(); ++i)
      ASSERT_EQ(changed[i], c.expected(plain[i])) << int(c.distort_register) << " at " << i;
  }
}

TEST_F(Synthesis, DampeningSmoothsTheWave) {
  auto roughness = [](const std::vector<int16_t>& samples) {
    int64_t total = 0;
    for (size_t i = 1 + kTickSamples; i < samples.size(); ++i) {
      int64_t step = samples[i] - samples[i - 1];
      total += step * step;
    }
    return total;
  };
  fill_effect(0, {40, 3, 7, 0, false}, 32);
  play(0, 0);
  int64_t plain = roughness(render_ticks(0, 8));
  registers[kRegisterDampen] = 0x11;  // level 15
  int64_t dampened = roughness(render_ticks(0, 8));
  effects[0].filter_bits = 1 * 9 << 3;  // dampen digit 1: level 8
  registers[kRegisterDampen] = 0;
  int64_t lightly = roughness(render_ticks(0, 8));
  EXPECT_LT(dampened * 2, lightly);
  EXPECT_LT(lightly * 2, plain);
}

TEST_F(Synthesis, StoppedSoundFadesOutOverOneShortTail) {
  fill_effect(0, {30, 3, 7, 0, false}, 8);
  play(0, 0);
  render_ticks(0, 3);
  ASSERT_EQ(ruvo_play_sfx_ex(*audio, -1, 0, 0, effects, 0), -1);
  std::vector<int16_t> tail = render_ticks(0, 2);
  EXPECT_GT(peak(tail, 0, 16), 1000);
  EXPECT_EQ(peak(tail, kCrossFadeSamples, tail.size()), 0);
  EXPECT_EQ(oscillator(0).volume, 0);
}

TEST_F(Synthesis, EveryWaveformAndFilterStaysInRangeAndIsDeterministic) {
  auto render_all = [&](std::vector<int16_t>& out) {
    audio = std::make_unique<AudioState>();
    AudioState& state = *audio;
    for (int channel = 0; channel < kMixChannelCount; ++channel) render_channel(state, channel, kTickSamples, registers);
    for (int channel = 0; channel < kMixChannelCount; ++channel) {
      SoundEffect& effect = fill_effect(channel, {static_cast<uint8_t>(10 + 3 * channel), static_cast<uint8_t>(channel % 8),
                                                  7, static_cast<uint8_t>(channel / 2 % 8), false}, 3);
      effect.filter_bits = static_cast<uint8_t>(((channel * 7) % 32) << 3 | (channel & 1 ? kFilterBuzz : 0) |
                                                (channel & 2 ? kFilterNoiz : 0));
      ASSERT_EQ(ruvo_play_sfx_ex(state, channel, 0, 0, effects, channel), channel);
    }
    for (int channel = 0; channel < kMixChannelCount; ++channel) {
      std::vector<int16_t> samples = render_ticks(channel, 40);
      EXPECT_GT(peak(samples, 0, samples.size()), 0) << channel;
      out.insert(out.end(), samples.begin(), samples.end());
    }
  };
  std::vector<int16_t> first, second;
  render_all(first);
  render_all(second);
  EXPECT_EQ(first, second);
}

TEST_F(Synthesis, SampleAndHoldNoiseHoldsLongerAtLowPitch) {
  auto changes = [](const std::vector<int16_t>& samples) {
    int count = 0;
    for (size_t i = kTickSamples + 1; i < samples.size(); ++i) count += samples[i] != samples[i - 1];
    return count;
  };
  fill_effect(0, {0, 6, 7, 0, false}, 32).filter_bits = kFilterNoiz;
  play(0, 0);
  std::vector<int16_t> held = render_ticks(0, 8);
  // Pitch 0 holds each value for 4 * 64 - 192 = 64 samples.
  int held_changes = changes(held);
  EXPECT_GE(held_changes, 7 * kTickSamples / 64 - 2);
  EXPECT_LE(held_changes, 7 * kTickSamples / 64 + 2);
  fill_effect(0, {0, 6, 7, 0, false}, 32);
  std::vector<int16_t> stepped = render_ticks(0, 8);
  EXPECT_GT(changes(stepped), 7 * kTickSamples / 4);
}

}  // namespace
}  // namespace tamori::audio::testing
