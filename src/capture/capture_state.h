// The capture subsystem's one long-lived record (Console::capture): the
// video ring and the live audio recording.
#pragma once

#include "capture/audio_recording.h"
#include "capture/video_ring.h"

namespace tamori::capture {

struct CaptureState {
  VideoRing video;
  AudioRecording audio;
};

}  // namespace tamori::capture
