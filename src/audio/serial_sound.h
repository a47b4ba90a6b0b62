// The serial sound ring: unsigned 8-bit samples that a program queues
// (serial channel 0x808) and that the device callback plays at a quarter of
// the output rate on top of the mix.
#pragma once

#include <cstdint>

#include "audio/audio_state.h"

namespace tamori::audio {

// Queues `count` bytes under the audio lock. Bytes that do not fit in the
// ring are dropped rather than overwriting samples not yet played.
void queue_serial_sound(AudioState& audio, const uint8_t* bytes, int count);

// Drops every queued byte (a new run starts with an empty ring).
void clear_serial_sound(AudioState& audio);

// Number of bytes waiting in the ring.
int32_t serial_sound_queued(AudioState& audio);

// Adds the queued sound to `count` mixed samples, when the ring holds any at
// the start. `unsmoothed` (bit 5 of 0x5f36) plays the steps as they are
// instead of averaging each value with the previous one. Runs on the audio
// thread, under the device lock.
void add_serial_sound(AudioState& audio, int16_t* mixed, int count, bool unsmoothed);

}  // namespace tamori::audio
