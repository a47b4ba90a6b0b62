// Writing mono signed 16-bit samples as a plain PCM WAV file (the headless
// runner's sound output).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamori::tools {

// The 44-byte RIFF header followed by the samples, little-endian. False
// when the file cannot be written.
bool write_wav_file(const std::string& path, const std::vector<int16_t>& samples, int sample_rate);

}  // namespace tamori::tools
