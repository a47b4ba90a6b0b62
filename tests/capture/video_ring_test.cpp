// The video ring: its length, time order once it wraps, and its memory.
#include "capture/video_ring.h"

#include "capture_test_support.h"

namespace tamori::capture {
namespace {

machine::Picture numbered_frame(int number) {
  machine::Picture frame{};
  frame[0] = uint8_t(number);
  frame[1] = uint8_t(number >> 8);
  return frame;
}

int frame_number(const machine::Picture& frame) { return frame[0] | frame[1] << 8; }

TEST(VideoRing, Capacity) {
  const struct {
    int gif_len;
    bool every_flip;
    int frames;
  } cases[] = {{16, false, 480}, {0, false, 0}, {120, false, 3600}, {200, false, 3600},
               {-5, false, 0},   {0, true, 3600}, {16, true, 3600}};
  for (const auto& c : cases) EXPECT_EQ(video_capacity(c.gif_len, c.every_flip), c.frames) << c.gif_len;
}

TEST(VideoRing, KeepsTheNewestFramesInTimeOrder) {
  VideoRing ring;
  const int capacity = video_capacity(200, false);
  for (int i = 0; i < 4000; i++) record_video_frame(ring, numbered_frame(i), capacity);
  ASSERT_EQ(ring.count, kMaxVideoFrames);
  EXPECT_EQ(ring.frames.size(), size_t(kMaxVideoFrames)) << "the oldest slot is reused";
  for (int i = 0; i < ring.count; i += 599) EXPECT_EQ(frame_number(video_frame(ring, i)), 400 + i);
  EXPECT_EQ(frame_number(video_frame(ring, ring.count - 1)), 3999);

  // A shorter gif_len keeps the newest frames, still in order.
  record_video_frame(ring, numbered_frame(4000), 30);
  ASSERT_EQ(ring.count, 30);
  for (int i = 0; i < 30; i++) EXPECT_EQ(frame_number(video_frame(ring, i)), 3971 + i);
  // And a longer one grows from there.
  for (int i = 4001; i < 4011; i++) record_video_frame(ring, numbered_frame(i), 480);
  ASSERT_EQ(ring.count, 40);
  for (int i = 0; i < 40; i++) EXPECT_EQ(frame_number(video_frame(ring, i)), 3971 + i);
}

TEST(VideoRing, NothingRecordedAtZeroAndResetFreesTheFrames) {
  VideoRing ring;
  record_video_frame(ring, numbered_frame(1), 0);
  EXPECT_EQ(ring.count, 0);
  EXPECT_TRUE(ring.frames.empty()) << "no memory before the first frame";
  for (int i = 0; i < 10; i++) record_video_frame(ring, numbered_frame(i), 480);
  ring.record_every_flip = true;
  reset_video(ring);
  EXPECT_EQ(ring.count, 0);
  EXPECT_FALSE(ring.record_every_flip);
  EXPECT_EQ(ring.frames.capacity(), 0u);
}

}  // namespace
}  // namespace tamori::capture
