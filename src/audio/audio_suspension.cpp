#include "audio/audio_suspension.h"

#include "audio/audio_lock.h"

namespace tamori::audio {

void determine_audio_pause_state(AudioState& audio, uint8_t pause_byte, bool pause_screen_open) {
  const bool wanted = pause_byte == 1 || (pause_byte != 2 && pause_screen_open);
  ScopedAudioLock lock(audio);
  if (audio.suspension < 1 || audio.suspension > 4) {
    audio.suspension = wanted ? 1 : 0;
  } else {
    audio.suspension = wanted ? 1 : audio.suspension + 1;
  }
}

void suspend_audio(AudioState& audio) {
  ScopedAudioLock lock(audio);
  audio.suspension = 1;
}

void resume_audio(AudioState& audio) {
  ScopedAudioLock lock(audio);
  audio.suspension = 0;
}

}  // namespace tamori::audio
