// The console data file: a container of numbered, named byte blobs. An item
// may itself hold a container (the resource container is item 1, the font
// item 2) or an image.
//
// Byte layout (all integers little-endian):
//   "TMPOD\x1a\x01\x00"  magic and format version 1
//   u32 item count
//   per item: u32 number, u16 name length, name bytes, u32 data length, data
// An image blob is "TMIMG\x1a\x01\x00", u16 width, u16 height, then
// width x height bytes of colour codes, row by row.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamori::host {

struct PodItem {
  int number = 0;
  std::string name;
  std::vector<uint8_t> data;
};

struct Pod {
  std::vector<PodItem> items;
};

struct PodImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // colour codes, width x height
};

std::vector<uint8_t> pod_encode(const Pod& pod);
// Reads a container; nothing when the bytes are not a whole, well-formed one.
std::optional<Pod> pod_decode(const uint8_t* bytes, size_t size);
std::optional<Pod> pod_decode(const std::vector<uint8_t>& bytes);

const PodItem* pod_find(const Pod& pod, int number);
void pod_put(Pod& pod, int number, std::string name, std::vector<uint8_t> data);

std::vector<uint8_t> pod_image_encode(const PodImage& image);
std::optional<PodImage> pod_image_decode(const std::vector<uint8_t>& bytes);

}  // namespace tamori::host
