// What the fuzz targets share: views of libFuzzer's input, a check that
// stops the run with a report, a quiet cartridge host and temporary files.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cart/cartridge_host.h"
#include "cart/code_compress.h"

namespace tamori::fuzz {

inline std::string_view as_text(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

inline std::span<const uint8_t> as_bytes(const uint8_t* data, size_t size) { return {data, size}; }

// A broken promise (a round trip that changed the data): abort, so that
// libFuzzer saves the input as a crash.
inline void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

// Messages are dropped: the targets look for crashes, not for words.
inline cart::CartridgeHost quiet_host() {
  cart::CartridgeHost host;
  host.accept_future = true;
  host.messages_enabled = false;
  return host;
}

// A file of this process holding the input, for code that reads paths.
inline std::string write_temp_file(const std::string& name, const uint8_t* data, size_t size) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tamori_fuzz_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / name).string();
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
  return path;
}

inline std::string data_pod_path() { return TAMORI_FUZZ_DATA_POD; }

// A code decompressor's run: the input as a stored block with `mark` put in
// front when it lacks one, so that every run reaches that format's decoder;
// the text must keep both the full and a small limit.
inline void decompress_with_mark(const uint8_t* data, size_t size, const uint8_t (&mark)[4]) {
  std::vector<uint8_t> stored(data, data + size);
  if (size < 4 || !std::equal(mark, mark + 4, data)) stored.insert(stored.begin(), mark, mark + 4);
  check(cart::decompress_code(stored).size() <= cart::kMaxCodeLength, "text within the limit");
  check(cart::decompress_code(stored, 100).size() <= 100, "text within a small limit");
}

}  // namespace tamori::fuzz
