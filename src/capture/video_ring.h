// The video ring: the last seconds of the screen as 128 x 128 frames of
// colour codes, oldest first, kept for a GIF. Frames are allocated as the
// recording fills and freed again by a reset.
#pragma once

#include <memory>
#include <vector>

#include "machine/display.h"

namespace tamori::capture {

inline constexpr int kVideoFramesPerSecond = 30;
inline constexpr int kMaxVideoFrames = 3600;  // 120 seconds

struct VideoRing {
  std::vector<std::unique_ptr<machine::Picture>> frames;
  int oldest = 0;  // slot of the oldest frame once the ring has wrapped
  int count = 0;   // valid frames
  // Each flip records one frame and the main loop records none.
  bool record_every_flip = false;
};

// How many frames a recording keeps: gif_len seconds at 30 frames a second,
// at most 3600; all 3600 when every flip records.
int video_capacity(int gif_len_seconds, bool record_every_flip);

// Adds `frame` as the newest; with the ring full the oldest frame's slot
// takes it. A capacity of 0 records nothing. A capacity lower than the
// frames held keeps only the newest.
void record_video_frame(VideoRing& ring, const machine::Picture& frame, int capacity);

// Frame `index` in time order, 0 the oldest (index < count).
const machine::Picture& video_frame(const VideoRing& ring, int index);

// The video starting point: no frames (their memory released) and
// record-every-flip off.
void reset_video(VideoRing& ring);

}  // namespace tamori::capture
