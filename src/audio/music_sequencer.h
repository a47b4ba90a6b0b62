// Music: a chain of patterns of up to four sound effects each, played on the
// music channels 4..7 beside the sfx channels. A pattern lasts as long as its
// deciding effect; at its end the flags of the pattern choose what follows.
// The fade volume scales every music channel.
//
// These operations take the audio lock; `now_ms` is the host clock in
// milliseconds, which only the fade uses.
#pragma once

#include <cstdint>

#include "audio/audio_state.h"

namespace tamori::audio {

// Length in ticks of a pattern whose effects come from `effects`: the
// length of the lowest track whose effect neither loops nor is a waveform
// instrument; without such a track the longest of the others (32 notes for
// an effect that loops); 0 when all four tracks are silent.
int32_t get_pattern_ticks_length(const MusicPattern& pattern, const SoundEffect* effects);

// Stops the music and starts pattern `pattern_index` (0..63) of `patterns`
// with its effects from `effects`, fading in over `fade_len` ms when the
// music is not at full volume. A silent pattern only stops the music. Also
// installs the pattern-end handler.
void ruvo_play_song(AudioState& audio, const SoundEffect* effects, const MusicPattern* patterns, int pattern_index,
                    int32_t fade_len, int32_t now_ms);

// Fades the music out over `fade_len` ms (0: at once) and stops it there.
void stop_music_with_fade(AudioState& audio, int32_t fade_len, int32_t now_ms);

// Moves the fade on to `now_ms`; stops the music once it has faded to 0.
// The main loop calls it every frame.
void update_music_fade(AudioState& audio, int32_t now_ms);

// What follows pattern `pattern` at its end: its stop flag gives -1, its
// loop-back flag the nearest earlier pattern with the loop-start flag (or 0),
// otherwise the next pattern (64 after the last).
int32_t next_music_pattern(const MusicPattern* patterns, int32_t pattern);

// The handler of a music channel whose pattern time ran out (installed as
// MusicState::on_pattern_end); runs on the audio thread.
void end_music_pattern(AudioState& audio, int channel_index);

// Whether any channel plays a music track.
bool music_is_playing(const AudioState& audio);

}  // namespace tamori::audio
