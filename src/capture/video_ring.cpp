#include "capture/video_ring.h"

#include <algorithm>

namespace tamori::capture {
namespace {

// Puts the frames in time order from slot 0 and keeps the newest `keep`.
void keep_newest(VideoRing& ring, int keep) {
  std::rotate(ring.frames.begin(), ring.frames.begin() + ring.oldest, ring.frames.end());
  ring.oldest = 0;
  const int dropped = ring.count - keep;
  ring.frames.erase(ring.frames.begin(), ring.frames.begin() + dropped);
  ring.count = keep;
}

}  // namespace

int video_capacity(int gif_len_seconds, bool record_every_flip) {
  if (record_every_flip) return kMaxVideoFrames;
  return std::clamp(gif_len_seconds * kVideoFramesPerSecond, 0, kMaxVideoFrames);
}

void record_video_frame(VideoRing& ring, const machine::Picture& frame, int capacity) {
  capacity = std::clamp(capacity, 0, kMaxVideoFrames);
  if (capacity == 0) return;
  if (ring.count > capacity) keep_newest(ring, capacity);
  if (ring.count < capacity) {
    // A ring that wrapped at a smaller capacity is put in time order first.
    if (ring.oldest != 0) keep_newest(ring, ring.count);
    ring.frames.push_back(std::make_unique<machine::Picture>(frame));
    ring.count++;
    return;
  }
  // Full: the oldest frame's memory holds the newest.
  *ring.frames[size_t(ring.oldest)] = frame;
  ring.oldest = (ring.oldest + 1) % ring.count;
}

const machine::Picture& video_frame(const VideoRing& ring, int index) {
  return *ring.frames[size_t((ring.oldest + index) % ring.count)];
}

void reset_video(VideoRing& ring) {
  ring.frames.clear();
  ring.frames.shrink_to_fit();
  ring.oldest = 0;
  ring.count = 0;
  ring.record_every_flip = false;
}

}  // namespace tamori::capture
