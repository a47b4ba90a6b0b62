#include "host/pod.h"

#include <algorithm>
#include <cstring>

namespace tamori::host {
namespace {

constexpr uint8_t kPodMagic[8] = {'T', 'M', 'P', 'O', 'D', 0x1a, 1, 0};
constexpr uint8_t kImageMagic[8] = {'T', 'M', 'I', 'M', 'G', 0x1a, 1, 0};
constexpr int kLargestImageSide = 4096;

void put_u16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(uint8_t(value));
  out.push_back(uint8_t(value >> 8));
}

void put_u32(std::vector<uint8_t>& out, uint32_t value) {
  put_u16(out, value & 0xffff);
  put_u16(out, value >> 16);
}

// Bounds-checked reading of a byte buffer.
struct Reader {
  const uint8_t* bytes;
  size_t size;
  size_t position = 0;
  bool failed = false;

  bool has(size_t count) {
    if (failed || size - position < count) failed = true;
    return !failed;
  }
  uint32_t u16() {
    if (!has(2)) return 0;
    uint32_t value = bytes[position] | uint32_t(bytes[position + 1]) << 8;
    position += 2;
    return value;
  }
  uint32_t u32() {
    uint32_t low = u16();
    return low | u16() << 16;
  }
  const uint8_t* take(size_t count) {
    if (!has(count)) return nullptr;
    const uint8_t* start = bytes + position;
    position += count;
    return start;
  }
};

}  // namespace

std::vector<uint8_t> pod_encode(const Pod& pod) {
  std::vector<uint8_t> out(kPodMagic, kPodMagic + 8);
  put_u32(out, uint32_t(pod.items.size()));
  for (const PodItem& item : pod.items) {
    put_u32(out, uint32_t(item.number));
    put_u16(out, uint32_t(std::min<size_t>(item.name.size(), 0xffff)));
    out.insert(out.end(), item.name.begin(), item.name.begin() + std::min<size_t>(item.name.size(), 0xffff));
    put_u32(out, uint32_t(item.data.size()));
    out.insert(out.end(), item.data.begin(), item.data.end());
  }
  return out;
}

std::optional<Pod> pod_decode(const uint8_t* bytes, size_t size) {
  Reader reader{bytes, size};
  const uint8_t* magic = reader.take(8);
  if (!magic || std::memcmp(magic, kPodMagic, 8) != 0) return std::nullopt;
  uint32_t count = reader.u32();
  // Every item needs at least 10 bytes, which bounds the count before any allocation.
  if (reader.failed || count > (size - reader.position) / 10) return std::nullopt;
  Pod pod;
  pod.items.reserve(count);
  for (uint32_t i = 0; i < count; i++) {
    PodItem item;
    item.number = int(reader.u32());
    uint32_t name_length = reader.u16();
    const uint8_t* name = reader.take(name_length);
    uint32_t data_length = reader.u32();
    const uint8_t* data = reader.take(data_length);
    if (reader.failed) return std::nullopt;
    item.name.assign(reinterpret_cast<const char*>(name), name_length);
    item.data.assign(data, data + data_length);
    pod.items.push_back(std::move(item));
  }
  if (reader.position != size) return std::nullopt;
  return pod;
}

std::optional<Pod> pod_decode(const std::vector<uint8_t>& bytes) {
  return pod_decode(bytes.data(), bytes.size());
}

const PodItem* pod_find(const Pod& pod, int number) {
  for (const PodItem& item : pod.items)
    if (item.number == number) return &item;
  return nullptr;
}

void pod_put(Pod& pod, int number, std::string name, std::vector<uint8_t> data) {
  for (PodItem& item : pod.items) {
    if (item.number == number) {
      item.name = std::move(name);
      item.data = std::move(data);
      return;
    }
  }
  pod.items.push_back(PodItem{number, std::move(name), std::move(data)});
}

std::vector<uint8_t> pod_image_encode(const PodImage& image) {
  std::vector<uint8_t> out(kImageMagic, kImageMagic + 8);
  put_u16(out, uint32_t(image.width));
  put_u16(out, uint32_t(image.height));
  out.insert(out.end(), image.pixels.begin(), image.pixels.end());
  return out;
}

std::optional<PodImage> pod_image_decode(const std::vector<uint8_t>& bytes) {
  Reader reader{bytes.data(), bytes.size()};
  const uint8_t* magic = reader.take(8);
  if (!magic || std::memcmp(magic, kImageMagic, 8) != 0) return std::nullopt;
  PodImage image;
  image.width = int(reader.u16());
  image.height = int(reader.u16());
  if (reader.failed || image.width > kLargestImageSide || image.height > kLargestImageSide)
    return std::nullopt;
  const uint8_t* pixels = reader.take(size_t(image.width) * size_t(image.height));
  if (!pixels || reader.position != bytes.size()) return std::nullopt;
  image.pixels.assign(pixels, pixels + size_t(image.width) * size_t(image.height));
  return image;
}

}  // namespace tamori::host
