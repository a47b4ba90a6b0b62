#include "wav_file.h"

#include <cstdio>

namespace tamori::tools {
namespace {

void put_u16(std::vector<uint8_t>& bytes, uint32_t value) {
  bytes.push_back(uint8_t(value));
  bytes.push_back(uint8_t(value >> 8));
}

void put_u32(std::vector<uint8_t>& bytes, uint32_t value) {
  put_u16(bytes, value & 0xffff);
  put_u16(bytes, value >> 16);
}

void put_tag(std::vector<uint8_t>& bytes, const char* tag) { bytes.insert(bytes.end(), tag, tag + 4); }

}  // namespace

bool write_wav_file(const std::string& path, const std::vector<int16_t>& samples, int sample_rate) {
  constexpr uint32_t kBytesPerSample = 2;
  const uint32_t data_bytes = uint32_t(samples.size()) * kBytesPerSample;
  std::vector<uint8_t> bytes;
  bytes.reserve(44 + data_bytes);
  put_tag(bytes, "RIFF");
  put_u32(bytes, 36 + data_bytes);
  put_tag(bytes, "WAVE");
  put_tag(bytes, "fmt ");
  put_u32(bytes, 16);  // size of the format record
  put_u16(bytes, 1);   // integer PCM
  put_u16(bytes, 1);   // mono
  put_u32(bytes, uint32_t(sample_rate));
  put_u32(bytes, uint32_t(sample_rate) * kBytesPerSample);
  put_u16(bytes, kBytesPerSample);
  put_u16(bytes, 16);  // bits per sample
  put_tag(bytes, "data");
  put_u32(bytes, data_bytes);
  for (int16_t sample : samples) put_u16(bytes, uint16_t(sample));
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace tamori::tools
