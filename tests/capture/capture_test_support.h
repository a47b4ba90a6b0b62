// A temporary folder per test and small helpers for the capture tests.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "machine/display.h"

namespace tamori::capture::testing {

class CaptureFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("tamori_capture_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::string path(const std::string& name) const { return (folder / name).string(); }
  // Every file under the folder, as paths relative to it.
  std::vector<std::string> files() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
      if (entry.is_regular_file()) found.push_back(std::filesystem::relative(entry.path(), folder).string());
    std::sort(found.begin(), found.end());
    return found;
  }

  std::filesystem::path folder;
};

// While it lives, files cannot grow beyond `bytes`: writes fail as on a
// full disk (the size-limit signal is ignored, so they just fail).
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_limit);
    old_handler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = old_limit;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_limit);
    signal(SIGXFSZ, old_handler);
  }
  struct rlimit old_limit {};
  sighandler_t old_handler = nullptr;
};

// A palette whose colour i is (i, 255 - i, i * 7 mod 256).
inline machine::Palette test_palette() {
  machine::Palette palette{};
  for (int i = 0; i < 256; i++) palette[size_t(i)] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)};
  return palette;
}

// A picture of diagonal stripes of colours 0..15 shifted by `phase`.
inline machine::Picture striped_picture(int phase) {
  machine::Picture picture{};
  for (int y = 0; y < machine::kScreenSide; y++)
    for (int x = 0; x < machine::kScreenSide; x++)
      picture[size_t(y * machine::kScreenSide + x)] = uint8_t((x + y + phase) & 15);
  return picture;
}

}  // namespace tamori::capture::testing
