// The visible side of a cartridge picture: the cartridge template with the
// label, the code's two comment lines and the title drawn on it, and the
// label read back from such a picture. Colours come from the console data
// (palette, template, interface font); without it a built-in stand-in
// palette and a plain picture are used, so pictures can always be written.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cart/cartridge.h"
#include "host/console_data.h"

namespace tamori::cart {

inline constexpr int kLabelLeft = 16;
inline constexpr int kLabelTop = 24;

using RgbPalette = std::array<std::array<uint8_t, 3>, 256>;

// The data file's palette, or the stand-in without one.
const RgbPalette& picture_palette(const host::ConsoleData* data);

// 160 x 205 RGBA pixels, every alpha opaque; the low two bits of each
// channel are left for the payload.
std::vector<uint8_t> compose_cartridge_picture(const Cartridge& cartridge, const host::ConsoleData* data);

// The comment text shown for one code line: the line without its leading
// "--" and one following space, at most 31 characters; empty when the line
// does not start with "--".
std::string picture_comment_text(const std::string& code, int line_index);

// The 128 x 128 region at (16, 24) of a 160 x 205 RGBA picture as colour
// codes 0..15 and 128..143: for each pixel the code whose palette colour is
// nearest in the six high bits of each channel.
std::vector<uint8_t> label_from_picture(const uint8_t* rgba, const host::ConsoleData* data);

}  // namespace tamori::cart
