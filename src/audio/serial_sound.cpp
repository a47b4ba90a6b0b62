#include "audio/serial_sound.h"

#include <algorithm>

#include "audio/audio_lock.h"

namespace tamori::audio {
namespace {

constexpr uint8_t kSilence = 128;

uint8_t take_byte(SerialSoundRing& ring) {
  if (ring.queued <= 0) return kSilence;
  const uint8_t byte = ring.bytes[ring.read_position];
  ring.read_position = (ring.read_position + 1) % kSerialSoundRingSize;
  --ring.queued;
  return byte;
}

}  // namespace

void queue_serial_sound(AudioState& audio, const uint8_t* bytes, int count) {
  if (!bytes || count <= 0) return;
  ScopedAudioLock lock(audio);
  SerialSoundRing& ring = audio.serial_sound;
  const int accepted = std::min(count, kSerialSoundRingSize - ring.queued);
  for (int i = 0; i < accepted; ++i)
    ring.bytes[(ring.read_position + ring.queued + i) % kSerialSoundRingSize] = bytes[i];
  ring.queued += accepted;
}

void clear_serial_sound(AudioState& audio) {
  ScopedAudioLock lock(audio);
  audio.serial_sound.read_position = 0;
  audio.serial_sound.queued = 0;
}

int32_t serial_sound_queued(AudioState& audio) {
  ScopedAudioLock lock(audio);
  return audio.serial_sound.queued;
}

void add_serial_sound(AudioState& audio, int16_t* mixed, int count, bool unsmoothed) {
  SerialSoundRing& ring = audio.serial_sound;
  if (ring.queued <= 0 || audio.suspension != 0) return;
  const int32_t volume = std::clamp(audio.sound_volume, 0, 256);
  for (int i = 0; i < count; ++i) {
    if (ring.phase == 0) ring.last_byte = take_byte(ring);
    ring.phase = (ring.phase + 1) & 3;
    const int32_t value = (int32_t{ring.last_byte} - kSilence) * volume;
    const int32_t heard = unsmoothed ? value : (value + ring.last_value) / 2;
    ring.last_value = value;
    mixed[i] = static_cast<int16_t>(std::clamp(mixed[i] + heard, -32767, 32767));
  }
}

}  // namespace tamori::audio
