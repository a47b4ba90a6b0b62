#include "input/dropped_data.h"

#include <algorithm>
#include <cstring>

namespace tamori::input {
namespace {

size_t remaining(const DroppedBuffer& buffer) { return buffer.bytes.size() - buffer.read_position; }

}  // namespace

void set_dropped_file(DroppedData& dropped, std::vector<uint8_t> bytes) {
  dropped.file.bytes = std::move(bytes);
  dropped.file.read_position = 0;
}

void set_dropped_picture(DroppedData& dropped, int width, int height, const std::vector<uint8_t>& pixels) {
  width = std::clamp(width, 0, 0xffff);
  height = std::clamp(height, 0, 0xffff);
  const size_t pixel_count = size_t(width) * size_t(height);
  std::vector<uint8_t>& bytes = dropped.picture.bytes;
  bytes.assign(4 + pixel_count, 0);
  bytes[0] = uint8_t(width & 0xff);
  bytes[1] = uint8_t(width >> 8);
  bytes[2] = uint8_t(height & 0xff);
  bytes[3] = uint8_t(height >> 8);
  std::copy_n(pixels.begin(), std::min(pixel_count, pixels.size()), bytes.begin() + 4);
  dropped.picture.read_position = 0;
}

void clear_dropped_data(DroppedData& dropped) {
  dropped.file = DroppedBuffer{};
  dropped.picture = DroppedBuffer{};
}

size_t dropped_file_remaining(const DroppedData& dropped) { return remaining(dropped.file); }

size_t dropped_picture_remaining(const DroppedData& dropped) { return remaining(dropped.picture); }

size_t take_dropped_bytes(DroppedBuffer& buffer, uint8_t* out, size_t count) {
  const size_t taken = std::min(count, remaining(buffer));
  if (taken > 0) std::memcpy(out, buffer.bytes.data() + buffer.read_position, taken);
  buffer.read_position += taken;
  return taken;
}

}  // namespace tamori::input
