#include "capture/screenshot.h"

#include <lodepng.h>

#include <algorithm>

#include "host/files.h"
#include "host/log.h"

namespace tamori::capture {
namespace {

// Colour 0 is the transparent colour of sprites; in a picture it is written
// as the opaque colour 16 of the console palette.
constexpr uint8_t kShownForZero = 16;

}  // namespace

std::vector<uint8_t> screenshot_rgba(const machine::Picture& screen, const machine::Palette& palette, int scale) {
  scale = std::clamp(scale, 1, kMaxScreenshotScale);
  const int side = machine::kScreenSide * scale;
  std::vector<uint8_t> rgba(size_t(side) * size_t(side) * 4);
  std::vector<uint8_t> row(size_t(side) * 4);
  for (int y = 0; y < machine::kScreenSide; y++) {
    uint8_t* out = row.data();
    for (int x = 0; x < machine::kScreenSide; x++) {
      uint8_t code = screen[size_t(y * machine::kScreenSide + x)];
      if (code == 0) code = kShownForZero;
      const std::array<uint8_t, 3>& colour = palette[code];
      for (int i = 0; i < scale; i++) {
        *out++ = colour[0];
        *out++ = colour[1];
        *out++ = colour[2];
        *out++ = 255;
      }
    }
    for (int i = 0; i < scale; i++)
      std::copy(row.begin(), row.end(), rgba.begin() + std::ptrdiff_t((size_t(y) * scale + i) * row.size()));
  }
  return rgba;
}

bool save_screenshot(const machine::Picture& screen, const machine::Palette& palette, int scale,
                     const std::string& path) {
  scale = std::clamp(scale, 1, kMaxScreenshotScale);
  const unsigned side = unsigned(machine::kScreenSide * scale);
  host::ruvo_log("saving screenshot to: %s\n", path.c_str());
  std::vector<uint8_t> png;
  if (lodepng::encode(png, screenshot_rgba(screen, palette, scale), side, side) != 0) return false;
  return host::write_file(path, png.data(), png.size()) && host::file_exists(path);
}

}  // namespace tamori::capture
