#include "audio/audio_lock.h"

namespace tamori::audio {

void lock_audio(AudioState& audio) {
  AudioLock& lock = audio.lock;
  if (lock.nesting == 0 && lock.lock_device) lock.lock_device(lock.context);
  ++lock.nesting;
}

void unlock_audio(AudioState& audio) {
  AudioLock& lock = audio.lock;
  if (lock.nesting == 0) return;  // unbalanced unlock: ignore rather than release a lock not held
  --lock.nesting;
  if (lock.nesting == 0 && lock.unlock_device) lock.unlock_device(lock.context);
}

bool audio_is_locked(const AudioState& audio) { return audio.lock.nesting > 0; }

}  // namespace tamori::audio
