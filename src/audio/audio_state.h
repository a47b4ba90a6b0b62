// The sound state shared by the program (through `sfx` and `music`) and the
// audio thread: sixteen mix channels, the music state they consult, the
// scratch buffer of the cross-fade and the noise source.
//
// Channels 0..3 play sound effects, 4..7 music tracks 0..3, and 8..15 are
// synthesised but never mixed. A channel plays an effect by pointer into the
// table of 64 effects it was started from (the "cartridge" of the channel),
// so writing effect bytes while they play changes the sound from the next
// tick on.
//
// Invariants:
// - effect is null or points into cartridge_effects[0..63].
// - tick_position is 0..kTickSamples; kTickSamples means the tick buffer is
//   used up and the next sample needs a new tick.
// - ring_index is 0..kHistoryTicks-1, the next slot of history to write.
// - state_history_count is 0..kStateHistoryCapacity, reset every callback.
//
// Every change from the main thread happens under the audio lock (see
// audio_lock.h); the render functions run under the device's own lock.
#pragma once

#include <cstdint>

#include "audio/sound_records.h"
#include "host/random_source.h"

namespace tamori::audio {

constexpr int kSampleRate = 22050;
constexpr int kTickSamples = 183;
constexpr int kCrossFadeSamples = 64;
constexpr int kHistoryTicks = 8;
constexpr int kMixChannelCount = 16;
constexpr int kSfxChannelCount = 4;
constexpr int kFirstMusicChannel = 4;
constexpr int kMixedChannelCount = 8;
constexpr int kChannelBufferSamples = 4096;
constexpr int kStateHistoryCapacity = 64;
constexpr int kWavetableSize = 64;

// The four audio registers 0x5f40..0x5f43 as the machine holds them. Bit k
// applies to channels whose register index is k, bit k+4 is a second switch.
using AudioRegisters = uint8_t[4];
constexpr int kRegisterHalfRate = 0;   // bit k half rate, bit k+4 an octave lower
constexpr int kRegisterReverb = 1;     // bit k reverb 2, bit k+4 reverb at least 1
constexpr int kRegisterDistort = 2;    // bit k distortion, bit k+4 bit-crush
constexpr int kRegisterDampen = 3;     // bit k dampen 12 (15 with k+4), bit k+4 at least 8

// The synthesiser of one channel: what the current tick plays and the
// running phases and noise state carried from tick to tick.
struct OscillatorState {
  int waveform = 0;             // 0..7 as in notes, 8 = wavetable
  int32_t phase = 0;            // main phase, 0..65535
  int32_t increment = 0;        // main phase step per sample ("dx")
  int32_t second_phase = 0;     // detuned phase, 0..131071
  int32_t second_increment = 0;
  int32_t volume = 0;           // note volume * 256 after effects, instrument and fades
  int32_t pitch = 0;            // 16.16
  int32_t integer_pitch = 0;
  int32_t crackle_volume = 0;   // volume after note effects, scales the noise crackle
  int instrument_flags = 0;     // filter bits of the custom instrument, 0 for none
  int instrument_note_effect = 0;
  int32_t drop_factor = 256;    // 0..256, the instrument note's drop
  int detune = 0;
  int buzz = 0;
  int noiz = 0;                 // 0, 1, or 2 for the ramped sample-and-hold
  int reverb = 0;
  // The note fields last read, before any effect: the next note slides from
  // them and the custom instrument decides on restarting by them.
  int note_pitch = 0;
  int note_waveform = 0;
  int note_volume = 0;
  int32_t noise_accumulator = 0;
  int noise_toggle = 0;
  int32_t hold_counter = 0;
  int32_t held_older = 0;
  int32_t held_newer = 0;
  int32_t wavetable[kWavetableSize] = {};
};

// Raw fields of a note heard earlier, for slides and instrument restarts.
struct HeardNote {
  int32_t pitch = 0;
  int32_t waveform = 0;
  int32_t volume = 0;
};

// The channel's position at one tick boundary of a callback; the music code
// turns these into what the listener hears now.
struct ChannelStateRecord {
  int32_t tick_counter = 0;
  int32_t ticks_played = 0;
  const SoundEffect* effect = nullptr;
  int32_t effect_number = -1;  // 0..63 of the channel's table, -1 with no effect
  int32_t note_index = 0;
  int32_t pattern = 0;
  int32_t patterns_advanced = 0;
};

struct MixChannel {
  int16_t samples[kChannelBufferSamples] = {};
  const SoundEffect* cartridge_effects = nullptr;  // table of 64 the effect came from
  const SoundEffect* effect = nullptr;             // null: idle
  int32_t tick_counter = 0;
  int32_t ticks_played = 0;
  int32_t loop_allowed = 0;
  int32_t register_index = 0;  // 0..3: bit of the audio registers that applies
  int16_t tick_buffer[kTickSamples] = {};
  int32_t tick_position = 0;
  int16_t history[kHistoryTicks][kTickSamples] = {};
  int32_t ring_index = 0;
  int32_t music_flag = 0;
  int32_t pattern = 0;
  OscillatorState oscillator;
  HeardNote previous_note;
  HeardNote previous_instrument_note;
  int32_t instrument_tick_counter = 0;
  int32_t reverb_level = 0;
  int32_t dampen_level = 0;
  int32_t ticks_remaining = 0;  // negative: unlimited
  ChannelStateRecord state_history[kStateHistoryCapacity];
  int32_t state_history_count = 0;
};

// Called when a music channel's pattern time runs out; the music sequencer
// installs it. Without one the channel simply stops.
using PatternEndHandler = void (*)(struct AudioState& audio, int channel);

// The music state shared by the four music channels. Synthesis reads the fade
// volume; the sequencer (music_sequencer.h) owns the rest.
//
// The fade moves fade_volume from fade0 to fade1 over fade_len milliseconds
// from fade_start_t; fade_volume == fade1 means no fade is in progress.
struct MusicState {
  uint8_t channel_mask = 0;        // bit k reserves sfx channel k for music
  int32_t fade_volume = 0;         // 16.16, 0..65536
  int32_t fade0 = 0;
  int32_t fade1 = 0;
  int32_t fade_len = 0;            // milliseconds
  int32_t fade_start_t = 0;        // host milliseconds
  int32_t music_volume = 256;      // 0..256, music channels only
  int32_t current_pattern = -1;
  int32_t patterns_advanced = 0;
  bool advanced_pattern = false;   // set during a callback when a pattern ended
  PatternEndHandler on_pattern_end = nullptr;
  // The table of 64 patterns the music plays from, beside the channels'
  // table of effects; null before any music.
  const MusicPattern* patterns = nullptr;
};

// Unsigned 8-bit samples that a program queues for playback at a quarter of
// the output rate (128 is silence), and the playback position in them.
constexpr int kSerialSoundRingSize = 2048;
struct SerialSoundRing {
  uint8_t bytes[kSerialSoundRingSize] = {};
  int32_t read_position = 0;  // 0..kSerialSoundRingSize-1
  int32_t queued = 0;         // 0..kSerialSoundRingSize
  uint8_t last_byte = 128;
  int32_t phase = 0;          // 0..3: a new byte is taken at phase 0
  int32_t last_value = 0;     // previous output value, for the smoothing
};

// When the sound of the current callback reaches the listener, and what each
// channel did at the tick boundaries of that callback (their
// state_history), so that the console can tell what is heard at a moment.
struct HeardTiming {
  int32_t previous_start_ms = 0;  // estimate for the previous callback's first sample
  int32_t start_ms = 0;           // estimate for this callback's first sample
  int32_t callback_samples = 0;   // length of the last callback
};

// The records of what was heard at the last frame: one per sfx channel (the
// music track under it when the channel had no effect) and one for music.
struct HeardMoment {
  ChannelStateRecord sfx[kSfxChannelCount];
  ChannelStateRecord music;
};

// Hook that receives every mixed buffer (audio capture), called on the
// audio thread after the serial sound is added.
using MixedSamplesHook = void (*)(void* context, const int16_t* samples, int count);

// Re-entrant audio lock over the device's lock: the first lock takes the
// device lock, nested ones only count.
struct AudioLock {
  void (*lock_device)(void* context) = nullptr;
  void (*unlock_device)(void* context) = nullptr;
  void* context = nullptr;
  int nesting = 0;
};

// Large (about 200 KB): keep it on the heap.
struct AudioState {
  MixChannel channels[kMixChannelCount];
  MusicState music;
  AudioLock lock;
  host::RandomSource random;
  int32_t sound_volume = 256;  // master volume 0..256
  // 0 sound on, 1 suspended, 2..5 about to resume.
  int suspension = 0;
  SerialSoundRing serial_sound;
  // The machine's audio registers (0x5f40..0x5f43) and serial sound flag
  // (bit 5 of 0x5f36) as the main thread last handed them over, so that
  // the device callback reads no machine memory.
  AudioRegisters device_registers = {};
  bool unsmoothed_serial_sound = false;
  HeardTiming heard_timing;
  HeardMoment heard;
  MixedSamplesHook on_mixed = nullptr;
  void* on_mixed_context = nullptr;
  // Scratch for the cross-fade of each tick, only touched inside rendering.
  int16_t ramp_buffer[kCrossFadeSamples] = {};
};

}  // namespace tamori::audio
