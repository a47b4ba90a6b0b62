// Animated GIFs of the video ring through giflib: the whole file is written
// frame by frame, pixels that did not change since the previous frame as
// the transparent index 17.
#pragma once

#include <string>

#include "capture/video_ring.h"
#include "machine/display.h"

namespace tamori::capture {

inline constexpr int kMaxGifScale = 8;
inline constexpr int kUnchangedIndex = 17;
inline constexpr int kGifDelayHundredths = 3;

enum GifStatus { kGifSaved = 0, kGifFailed = 1, kGifNoFrames = 9 };

// The length a GIF of `frames` frames is reported with, in seconds.
int gif_length_seconds(int frames);

// True when every pixel of every frame is one of the colours 0..15, so an
// 18-entry colour table (written as 32) serves.
bool frames_use_base_colours_only(const VideoRing& ring);

// Writes the ring's frames to `path` at scale x 128 square (scale clamped to
// 1..8), looping forever, every frame shown for 3/100 s. The file appears
// only once it is complete; a failed write leaves nothing behind.
GifStatus save_gif(const VideoRing& ring, const machine::Palette& palette, int scale, const std::string& path);

}  // namespace tamori::capture
