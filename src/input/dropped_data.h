// What the user last dropped on the window, for serial channels 0x800 (a
// file's bytes) and 0x802 (a picture: width and height as 16-bit
// little-endian values, then one colour 0..15 per pixel). Each is read once:
// the read positions only advance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamori::input {

struct DroppedBuffer {
  std::vector<uint8_t> bytes;
  size_t read_position = 0;
};

struct DroppedData {
  DroppedBuffer file;
  DroppedBuffer picture;
};

void set_dropped_file(DroppedData& dropped, std::vector<uint8_t> bytes);
// `pixels` holds width * height colours of the current screen palette;
// missing pixels read as 0.
void set_dropped_picture(DroppedData& dropped, int width, int height, const std::vector<uint8_t>& pixels);
void clear_dropped_data(DroppedData& dropped);

// Bytes not read yet (stat(120) and stat(121)).
size_t dropped_file_remaining(const DroppedData& dropped);
size_t dropped_picture_remaining(const DroppedData& dropped);

// Takes up to `count` bytes into `out` and advances; returns how many.
size_t take_dropped_bytes(DroppedBuffer& buffer, uint8_t* out, size_t count);

}  // namespace tamori::input
