// Reading what SDL's "disk" audio driver wrote: raw signed 16-bit
// little-endian mono samples, which start with however much silence the
// device played before the first sound.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tamori {

inline std::vector<int16_t> read_raw_samples(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = int16_t(uint16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8));
  return samples;
}

inline std::vector<int16_t> without_leading_silence(const std::vector<int16_t>& samples) {
  auto first = std::find_if(samples.begin(), samples.end(), [](int16_t sample) { return sample != 0; });
  return {first, samples.end()};
}

// The samples from the first sound up to the first run of at least
// `gap` silent samples after it, and everything after that run.
struct SplitSound {
  std::vector<int16_t> first, rest;
};
inline SplitSound split_at_first_pause(const std::vector<int16_t>& samples, size_t gap) {
  auto start = std::find_if(samples.begin(), samples.end(), [](int16_t sample) { return sample != 0; });
  size_t silent = 0;
  for (auto at = start; at != samples.end(); ++at) {
    silent = *at == 0 ? silent + 1 : 0;
    if (silent == gap) return {{start, at + 1 - std::ptrdiff_t(gap)}, {at + 1, samples.end()}};
  }
  return {{start, samples.end()}, {}};
}

}  // namespace tamori
