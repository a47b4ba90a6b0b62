// Comparing the console's screen with a golden PNG picture: on a mismatch
// the picture actually drawn is written into a folder of the build and
// named in the failure, so that a reviewer can compare the two.
#pragma once

#include <gtest/gtest.h>
#include <lodepng.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "shell/headless_run.h"

namespace tamori::shell::testing {

struct Picture {
  unsigned width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

inline bool read_png(const std::filesystem::path& path, Picture* picture) {
  unsigned char* pixels = nullptr;
  if (lodepng_decode32_file(&pixels, &picture->width, &picture->height, path.string().c_str()) != 0) return false;
  picture->rgba.assign(pixels, pixels + size_t(picture->width) * picture->height * 4);
  free(pixels);
  return true;
}

inline Picture screen_picture(const Console& console) {
  Picture picture;
  int width = 0, height = 0;
  picture.rgba = screen_rgba(console, &width, &height);
  picture.width = unsigned(width);
  picture.height = unsigned(height);
  return picture;
}

// Where the pictures differ, in words: how many pixels and the first one.
inline std::string describe_difference(const Picture& expected, const Picture& actual) {
  if (expected.width != actual.width || expected.height != actual.height) {
    std::ostringstream text;
    text << "size " << actual.width << "x" << actual.height << " instead of " << expected.width << "x"
         << expected.height;
    return text.str();
  }
  size_t differing = 0, first = 0;
  for (size_t pixel = 0; pixel < size_t(actual.width) * actual.height; pixel++) {
    if (std::equal(&actual.rgba[pixel * 4], &actual.rgba[pixel * 4 + 4], &expected.rgba[pixel * 4])) continue;
    if (differing++ == 0) first = pixel;
  }
  if (differing == 0) return "";
  std::ostringstream text;
  text << differing << " pixels differ, the first at (" << first % actual.width << ", " << first / actual.width << ")";
  return text.str();
}

// Fails the test unless `actual` matches the picture at `golden`; a mismatch
// is written as `mismatch_folder`/`name`.png.
inline void expect_golden_picture(const Picture& actual, const std::filesystem::path& golden,
                                  const std::filesystem::path& mismatch_folder, const std::string& name) {
  Picture expected;
  const bool have_golden = read_png(golden, &expected);
  const std::string difference = have_golden ? describe_difference(expected, actual) : "no golden picture";
  if (difference.empty()) return;
  std::filesystem::create_directories(mismatch_folder);
  const std::filesystem::path written = mismatch_folder / (name + ".png");
  lodepng_encode32_file(written.string().c_str(), actual.rgba.data(), actual.width, actual.height);
  ADD_FAILURE() << name << ": " << difference << "; the picture drawn is " << written.string() << ", the golden one "
                << golden.string();
}

}  // namespace tamori::shell::testing
