// GIF files read back through giflib's decoder: colour tables, unchanged
// pixels, extensions, lengths and failures.
#include "capture/gif_writer.h"

#include <gif_lib.h>

#include "capture_test_support.h"
#include "host/files.h"

namespace tamori::capture {
namespace {

struct DecodedGif {
  GifFileType* file = nullptr;
  explicit DecodedGif(const std::string& path) {
    int error = 0;
    file = DGifOpenFileName(path.c_str(), &error);
    if (file && DGifSlurp(file) != GIF_OK) {
      DGifCloseFile(file, &error);
      file = nullptr;
    }
  }
  ~DecodedGif() {
    int error = 0;
    if (file) DGifCloseFile(file, &error);
  }
  const SavedImage& image(int i) const { return file->SavedImages[i]; }
};

class GifWriter : public testing::CaptureFolder {
 protected:
  VideoRing ring_of(const std::vector<machine::Picture>& frames) {
    VideoRing ring;
    for (const machine::Picture& frame : frames) record_video_frame(ring, frame, kMaxVideoFrames);
    return ring;
  }
  machine::Palette palette = testing::test_palette();
};

TEST_F(GifWriter, BaseColoursGiveTheEighteenEntryTable) {
  const VideoRing ring = ring_of({testing::striped_picture(0), testing::striped_picture(1)});
  ASSERT_EQ(save_gif(ring, palette, 2, path("a.gif")), kGifSaved);
  DecodedGif gif(path("a.gif"));
  ASSERT_TRUE(gif.file);
  EXPECT_EQ(gif.file->SWidth, 256);
  EXPECT_EQ(gif.file->SHeight, 256);
  ASSERT_TRUE(gif.file->SColorMap);
  ASSERT_EQ(gif.file->SColorMap->ColorCount, 32);
  for (int i = 0; i < 18; i++) {
    const GifColorType& colour = gif.file->SColorMap->Colors[i];
    EXPECT_EQ(colour.Red, palette[size_t(i)][0]);
    EXPECT_EQ(colour.Green, palette[size_t(i)][1]);
    EXPECT_EQ(colour.Blue, palette[size_t(i)][2]);
  }
  ASSERT_EQ(gif.file->ImageCount, 2);
  // The first frame as it is, stretched; the second one changed everywhere.
  const machine::Picture first = testing::striped_picture(0);
  for (int y = 0; y < 256; y += 37)
    for (int x = 0; x < 256; x += 29) {
      EXPECT_EQ(gif.image(0).RasterBits[y * 256 + x], first[size_t((y / 2) * 128 + x / 2)]);
      EXPECT_EQ(gif.image(1).RasterBits[y * 256 + x], (x / 2 + y / 2 + 1) & 15);
    }
}

TEST_F(GifWriter, OneExtendedColourSwitchesTheWholeFileToTheFullTable) {
  machine::Picture extended = testing::striped_picture(0);
  extended[128 * 10 + 10] = 140;
  const VideoRing ring = ring_of({testing::striped_picture(0), extended});
  ASSERT_EQ(save_gif(ring, palette, 1, path("b.gif")), kGifSaved);
  DecodedGif gif(path("b.gif"));
  ASSERT_TRUE(gif.file);
  ASSERT_EQ(gif.file->SColorMap->ColorCount, 256);
  EXPECT_EQ(gif.file->SColorMap->Colors[140].Red, palette[140][0]);
  EXPECT_EQ(gif.file->SColorMap->Colors[255].Blue, palette[255][2]);
  EXPECT_EQ(gif.image(1).RasterBits[128 * 10 + 10], 140);
  EXPECT_EQ(gif.image(1).RasterBits[128 * 10 + 11], kUnchangedIndex);
}

TEST_F(GifWriter, AStaticScreenLeavesLaterFramesTransparentWithTheExtensions) {
  const VideoRing ring = ring_of(std::vector<machine::Picture>(5, testing::striped_picture(7)));
  ASSERT_EQ(save_gif(ring, palette, 3, path("c.gif")), kGifSaved);
  DecodedGif gif(path("c.gif"));
  ASSERT_TRUE(gif.file);
  ASSERT_EQ(gif.file->ImageCount, 5);
  for (int i = 1; i < 5; i++) {
    const SavedImage& image = gif.image(i);
    EXPECT_EQ(image.ImageDesc.Width, 384);
    EXPECT_TRUE(std::all_of(image.RasterBits, image.RasterBits + 384 * 384,
                            [](GifByteType index) { return index == kUnchangedIndex; }))
        << "frame " << i;
  }
  auto control_blocks = [](const SavedImage& image) {
    int found = 0;
    for (int b = 0; b < image.ExtensionBlockCount; b++) {
      const ExtensionBlock& block = image.ExtensionBlocks[b];
      if (block.Function != GRAPHICS_EXT_FUNC_CODE) continue;
      EXPECT_EQ(std::vector<int>(block.Bytes, block.Bytes + block.ByteCount), (std::vector<int>{1, 3, 0, 17}));
      found++;
    }
    return found;
  };
  for (int i = 0; i < 5; i++) EXPECT_EQ(control_blocks(gif.image(i)), 1) << "frame " << i;
  // The loop extension opens the first image's blocks: the application name,
  // then the sub-block 1, 0, 0.
  const SavedImage& first = gif.image(0);
  ASSERT_GE(first.ExtensionBlockCount, 3);
  EXPECT_EQ(first.ExtensionBlocks[0].Function, APPLICATION_EXT_FUNC_CODE);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(first.ExtensionBlocks[0].Bytes), first.ExtensionBlocks[0].ByteCount),
            "NETSCAPE2.0");
  EXPECT_EQ(first.ExtensionBlocks[1].Function, CONTINUE_EXT_FUNC_CODE);
  EXPECT_EQ(std::vector<int>(first.ExtensionBlocks[1].Bytes, first.ExtensionBlocks[1].Bytes + 3),
            (std::vector<int>{1, 0, 0}));
  for (int i = 1; i < 5; i++)
    for (int b = 0; b < gif.image(i).ExtensionBlockCount; b++)
      EXPECT_NE(gif.image(i).ExtensionBlocks[b].Function, APPLICATION_EXT_FUNC_CODE);
}

TEST_F(GifWriter, LengthsAndTheLongestRecording) {
  const struct {
    int frames;
    int seconds;
  } lengths[] = {{1, 0}, {14, 0}, {15, 1}, {44, 1}, {45, 2}, {480, 16}, {3600, 120}};
  for (const auto& c : lengths) EXPECT_EQ(gif_length_seconds(c.frames), c.seconds) << c.frames;

  VideoRing ring;
  const int capacity = video_capacity(200, false);
  for (int i = 0; i < 3700; i++) record_video_frame(ring, testing::striped_picture(i / 200), capacity);
  ASSERT_EQ(save_gif(ring, palette, 1, path("long.gif")), kGifSaved);
  DecodedGif gif(path("long.gif"));
  ASSERT_TRUE(gif.file);
  EXPECT_EQ(gif.file->ImageCount, 3600);
}

TEST_F(GifWriter, FailuresLeaveNoFile) {
  EXPECT_EQ(save_gif(VideoRing{}, palette, 1, path("none.gif")), kGifNoFrames);
  EXPECT_FALSE(host::file_exists(path("none.gif")));
  const VideoRing ring = ring_of({testing::striped_picture(0), testing::striped_picture(1)});
  EXPECT_EQ(save_gif(ring, palette, 1, path("missing/x.gif")), kGifFailed);

  // A disk that fills up part-way: the write fails and nothing is left.
  {
    testing::FileSizeLimit full_disk(2000);
    EXPECT_EQ(save_gif(ring, palette, 4, path("full.gif")), kGifFailed);
  }
  EXPECT_EQ(files(), std::vector<std::string>{});
}

}  // namespace
}  // namespace tamori::capture
