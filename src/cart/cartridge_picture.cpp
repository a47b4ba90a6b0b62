#include "cart/cartridge_picture.h"

#include <algorithm>

#include "cart/picture_payload.h"

namespace tamori::cart {
namespace {

constexpr uint32_t kCommentColour = 0xfffff8f0;  // ARGB
constexpr uint32_t kTitleColour = 0xffa0a0a0;
constexpr int kTextLeft = 18;
constexpr int kCommentTops[2] = {167, 175};
constexpr int kTitleTop = 187;
constexpr std::size_t kMaxCommentLength = 31;
constexpr uint8_t kFallbackBackground = 1;

// Codes a label pixel may hold: the base colours, then the extra ones.
constexpr std::array<uint8_t, 32> kLabelCodes = {0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,
                                                 11,  12,  13,  14,  15,  128, 129, 130, 131, 132, 133,
                                                 134, 135, 136, 137, 138, 139, 140, 141, 142, 143};

// Distinct in the six high bits for every label code, so labels survive a
// trip through a picture even without the data file.
RgbPalette make_stand_in_palette() {
  RgbPalette palette{};
  for (int code = 0; code < 256; ++code) {
    palette[code] = {static_cast<uint8_t>((code & 3) * 0x54), static_cast<uint8_t>(((code >> 2) & 3) * 0x54),
                     static_cast<uint8_t>(((code >> 4) & 1) * 0x40 + ((code >> 7) & 1) * 0x80 + 0x20)};
  }
  return palette;
}

struct PictureCanvas {
  std::vector<uint8_t>& rgba;

  void put(int x, int y, uint8_t red, uint8_t green, uint8_t blue) {
    if (x < 0 || y < 0 || x >= kPictureWidth || y >= kPictureHeight) return;
    uint8_t* pixel = rgba.data() + (std::size_t(y) * kPictureWidth + x) * 4;
    pixel[0] = red;
    pixel[1] = green;
    pixel[2] = blue;
    pixel[3] = 0xff;
  }
  void put_code(int x, int y, uint8_t code, const RgbPalette& palette) {
    put(x, y, palette[code][0], palette[code][1], palette[code][2]);
  }
};

void draw_background(PictureCanvas& canvas, const host::ConsoleData* data, const RgbPalette& palette) {
  const host::PodImage* picture = data ? &data->cart_template : nullptr;
  bool usable = picture && picture->width == kPictureWidth && picture->height == kPictureHeight &&
                picture->pixels.size() == kPicturePixelCount;
  for (int y = 0; y < kPictureHeight; ++y)
    for (int x = 0; x < kPictureWidth; ++x)
      canvas.put_code(x, y, usable ? picture->pixels[std::size_t(y) * kPictureWidth + x] : kFallbackBackground, palette);
}

void draw_label(PictureCanvas& canvas, const std::vector<uint8_t>& label, const RgbPalette& palette) {
  if (label.size() != std::size_t(kLabelSize) * kLabelSize) return;
  for (int y = 0; y < kLabelSize; ++y)
    for (int x = 0; x < kLabelSize; ++x)
      canvas.put_code(kLabelLeft + x, kLabelTop + y, label[std::size_t(y) * kLabelSize + x], palette);
}

void draw_text(PictureCanvas& canvas, const host::ConsoleData& data, const std::string& text, int x, int y,
               uint32_t colour) {
  uint8_t red = static_cast<uint8_t>(colour >> 16), green = static_cast<uint8_t>(colour >> 8);
  uint8_t blue = static_cast<uint8_t>(colour);
  for (unsigned char code : text) {
    const host::PodImage& glyph = data.font[code];
    if (glyph.pixels.size() == std::size_t(glyph.width) * glyph.height) {
      for (int glyph_y = 0; glyph_y < glyph.height; ++glyph_y)
        for (int glyph_x = 0; glyph_x < glyph.width; ++glyph_x)
          if (glyph.pixels[std::size_t(glyph_y) * glyph.width + glyph_x]) canvas.put(x + glyph_x, y + glyph_y, red, green, blue);
    }
    x += code < 128 ? 4 : 8;
  }
}

int colour_distance(const std::array<uint8_t, 3>& colour, const uint8_t* pixel) {
  int distance = 0;
  for (int channel = 0; channel < 3; ++channel) {
    int difference = (colour[channel] & 0xfc) - (pixel[channel] & 0xfc);
    distance += difference * difference;
  }
  return distance;
}

}  // namespace

const RgbPalette& picture_palette(const host::ConsoleData* data) {
  static const RgbPalette stand_in = make_stand_in_palette();
  return data ? data->palette : stand_in;
}

std::string picture_comment_text(const std::string& code, int line_index) {
  std::size_t start = 0;
  for (int line = 0; line < line_index; ++line) {
    start = code.find('\n', start);
    if (start == std::string::npos) return "";
    ++start;
  }
  std::size_t end = std::min(code.find('\n', start), code.size());
  std::string_view line = std::string_view(code).substr(start, end - start);
  if (line.substr(0, 2) != "--") return "";
  line.remove_prefix(2);
  if (!line.empty() && line[0] == ' ') line.remove_prefix(1);
  return std::string(line.substr(0, kMaxCommentLength));
}

std::vector<uint8_t> compose_cartridge_picture(const Cartridge& cartridge, const host::ConsoleData* data) {
  std::vector<uint8_t> rgba(kPicturePixelCount * 4, 0);
  PictureCanvas canvas{rgba};
  const RgbPalette& palette = picture_palette(data);
  draw_background(canvas, data, palette);
  draw_label(canvas, cartridge.label, palette);
  if (data) {
    for (int line = 0; line < 2; ++line)
      draw_text(canvas, *data, picture_comment_text(cartridge.code, line), kTextLeft, kCommentTops[line], kCommentColour);
    draw_text(canvas, *data, "tamori cartridge", kTextLeft, kTitleTop, kTitleColour);
  }
  return rgba;
}

std::vector<uint8_t> label_from_picture(const uint8_t* rgba, const host::ConsoleData* data) {
  const RgbPalette& palette = picture_palette(data);
  std::vector<uint8_t> label(std::size_t(kLabelSize) * kLabelSize);
  for (int y = 0; y < kLabelSize; ++y) {
    for (int x = 0; x < kLabelSize; ++x) {
      const uint8_t* pixel = rgba + ((std::size_t(kLabelTop) + y) * kPictureWidth + kLabelLeft + x) * 4;
      uint8_t best_code = 0;
      int best_distance = -1;
      for (uint8_t code : kLabelCodes) {
        int distance = colour_distance(palette[code], pixel);
        if (best_distance < 0 || distance < best_distance) {
          best_distance = distance;
          best_code = code;
        }
      }
      label[std::size_t(y) * kLabelSize + x] = best_code;
    }
  }
  return label;
}

}  // namespace tamori::cart
