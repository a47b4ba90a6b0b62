// What the fuzz targets share: views of libFuzzer's input, a check that
// stops the run with a report, a quiet cartridge host and temporary files.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

#include "cart/cartridge_host.h"

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

}  // namespace tamori::fuzz
