#include "capture/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "host/log.h"

namespace tamori::capture {
namespace {

constexpr int kBaseTableEntries = 18;
constexpr int kBaseTableWrittenEntries = 32;
constexpr int kFullTableEntries = 256;

// The encoder writes through our own file, so that the capture gets the
// same permissions as every other file the console writes.
int write_to_file(GifFileType* gif, const GifByteType* bytes, int length) {
  return int(std::fwrite(bytes, 1, size_t(length), static_cast<FILE*>(gif->UserData)));
}

struct GifOutput {
  FILE* stream = nullptr;
  GifFileType* file = nullptr;
  bool close() {
    int error = 0;
    bool ok = true;
    if (file) ok = EGifCloseFile(file, &error) == GIF_OK;
    if (stream) ok = std::fclose(stream) == 0 && ok;
    file = nullptr;
    stream = nullptr;
    return ok;
  }
  ~GifOutput() { close(); }
};

ColorMapObject* make_colour_table(const machine::Palette& palette, bool base_colours_only) {
  const int entries = base_colours_only ? kBaseTableEntries : kFullTableEntries;
  std::vector<GifColorType> colours(base_colours_only ? kBaseTableWrittenEntries : kFullTableEntries, GifColorType{0, 0, 0});
  for (int i = 0; i < entries; i++) colours[size_t(i)] = {palette[size_t(i)][0], palette[size_t(i)][1], palette[size_t(i)][2]};
  return GifMakeMapObject(int(colours.size()), colours.data());
}

bool put_loop_extension(GifFileType* gif) {
  static const char kApplication[] = "NETSCAPE2.0";
  static const unsigned char kLoopForever[] = {1, 0, 0};
  return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, kApplication) == GIF_OK &&
         EGifPutExtensionBlock(gif, sizeof kLoopForever, kLoopForever) == GIF_OK &&
         EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool put_frame_control(GifFileType* gif) {
  // Transparency on, the delay in hundredths (low byte first), the index.
  static const unsigned char kControl[] = {1, kGifDelayHundredths, 0, kUnchangedIndex};
  return EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof kControl, kControl) == GIF_OK;
}

// One frame's rows: each source row stretched once and written `scale` times.
bool put_frame(GifFileType* gif, const machine::Picture& frame, const machine::Picture* previous, int scale,
               int table_entries, std::vector<GifPixelType>& row) {
  const int side = machine::kScreenSide * scale;
  if (EGifPutImageDesc(gif, 0, 0, side, side, false, nullptr) != GIF_OK) return false;
  for (int y = 0; y < machine::kScreenSide; y++) {
    GifPixelType* out = row.data();
    const size_t start = size_t(y * machine::kScreenSide);
    for (int x = 0; x < machine::kScreenSide; x++) {
      const uint8_t code = frame[start + size_t(x)];
      const GifPixelType index = previous && (*previous)[start + size_t(x)] == code
                                     ? GifPixelType(kUnchangedIndex)
                                     : GifPixelType(code % table_entries);
      out = std::fill_n(out, scale, index);
    }
    for (int i = 0; i < scale; i++)
      if (EGifPutLine(gif, row.data(), side) != GIF_OK) return false;
  }
  return true;
}

bool put_frames(GifFileType* gif, const VideoRing& ring, const machine::Palette& palette, int scale) {
  const bool base_only = frames_use_base_colours_only(ring);
  const int side = machine::kScreenSide * scale;
  ColorMapObject* table = make_colour_table(palette, base_only);
  if (!table) return false;
  EGifSetGifVersion(gif, true);
  const bool described = EGifPutScreenDesc(gif, side, side, 8, 0, table) == GIF_OK;
  GifFreeMapObject(table);
  if (!described || !put_loop_extension(gif)) return false;
  std::vector<GifPixelType> row(static_cast<size_t>(side));
  for (int i = 0; i < ring.count; i++) {
    const machine::Picture* previous = i > 0 ? &video_frame(ring, i - 1) : nullptr;
    if (!put_frame_control(gif) ||
        !put_frame(gif, video_frame(ring, i), previous, scale, base_only ? kBaseTableEntries : kFullTableEntries, row))
      return false;
  }
  return true;
}

}  // namespace

int gif_length_seconds(int frames) { return (frames + 15) / kVideoFramesPerSecond; }

bool frames_use_base_colours_only(const VideoRing& ring) {
  for (int i = 0; i < ring.count; i++) {
    const machine::Picture& frame = video_frame(ring, i);
    if (std::any_of(frame.begin(), frame.end(), [](uint8_t code) { return code >= 16; })) return false;
  }
  return true;
}

GifStatus save_gif(const VideoRing& ring, const machine::Palette& palette, int scale, const std::string& path) {
  if (ring.count == 0) return kGifNoFrames;
  scale = std::clamp(scale, 1, kMaxGifScale);
  // Written beside the target and renamed once complete, so that a full disk
  // leaves no broken file under the capture's name.
  const std::string temporary = path + ".tmp";
  int error = E_GIF_ERR_OPEN_FAILED;
  GifOutput gif;
  gif.stream = std::fopen(temporary.c_str(), "wb");
  if (gif.stream) gif.file = EGifOpen(gif.stream, write_to_file, &error);
  if (!gif.file) {
    gif.close();
    std::remove(temporary.c_str());
    const char* reason = GifErrorString(error);
    host::ruvo_log("** EGifOpenFileName error %d: %s\n", error, reason ? reason : "unknown");
    return kGifFailed;
  }
  host::ruvo_log("saving gif to: %s\n", path.c_str());
  const bool written = put_frames(gif.file, ring, palette, scale);
  const bool closed = gif.close();
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    host::ruvo_log("** EGifSpew() GIF_ERROR\n");
    std::remove(temporary.c_str());
    return kGifFailed;
  }
  return kGifSaved;
}

}  // namespace tamori::capture
