// The re-entrant audio lock that every change of the sound state from the
// main thread holds. The host installs the device's lock and unlock; without
// them (headless runs, tests) locking only counts.
#pragma once

#include "audio/audio_state.h"

namespace tamori::audio {

void lock_audio(AudioState& audio);
void unlock_audio(AudioState& audio);
bool audio_is_locked(const AudioState& audio);

struct ScopedAudioLock {
  explicit ScopedAudioLock(AudioState& audio) : audio(audio) { lock_audio(audio); }
  ~ScopedAudioLock() { unlock_audio(audio); }
  ScopedAudioLock(const ScopedAudioLock&) = delete;
  ScopedAudioLock& operator=(const ScopedAudioLock&) = delete;
  AudioState& audio;
};

}  // namespace tamori::audio
