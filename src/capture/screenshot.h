// PNG screenshots of the 128 x 128 screen, stretched by whole pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "machine/display.h"

namespace tamori::capture {

inline constexpr int kMaxScreenshotScale = 32;

// The RGBA pixels of the screenshot: `screen` (colour codes after the
// display palette) stretched to scale x 128 square (scale clamped to
// 1..32), index 0 shown as colour 16, through `palette`.
std::vector<uint8_t> screenshot_rgba(const machine::Picture& screen, const machine::Palette& palette, int scale);

// Writes the screenshot as a PNG file at `path` (logging "saving screenshot
// to: ..."). True when the file exists afterwards.
bool save_screenshot(const machine::Picture& screen, const machine::Palette& palette, int scale,
                     const std::string& path);

}  // namespace tamori::capture
