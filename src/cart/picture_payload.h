// The bytes a cartridge picture carries: the ROM image, a short trailer
// (format version, program version, platform, SHA-1 of the image), hidden in
// the two low bits of every channel of a 160 x 205 RGBA picture.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "cart/rom_image.h"

namespace tamori::cart {

inline constexpr int kPictureWidth = 160;
inline constexpr int kPictureHeight = 205;
inline constexpr std::size_t kPicturePixelCount = std::size_t(kPictureWidth) * kPictureHeight;
inline constexpr std::size_t kPayloadSize = kPicturePixelCount;  // 32800: one byte a pixel

// Trailer offsets after the ROM image.
inline constexpr std::size_t kPayloadVersionOffset = 0x8000;
inline constexpr std::size_t kPayloadHashOffset = 0x8006;
inline constexpr std::size_t kPayloadHashSize = 20;

using PicturePayload = std::array<uint8_t, kPayloadSize>;

// The payload for a ROM image (kRomImageSize bytes) with its trailer.
PicturePayload make_picture_payload(const uint8_t* image);

// Puts payload byte i into pixel i of `rgba` (R, G, B, A bytes a pixel):
// bits 0..1 in blue, 2..3 in green, 4..5 in red, 6..7 in alpha. The six high
// bits of each channel, the visible picture, are kept.
void hide_payload(const PicturePayload& payload, uint8_t* rgba);
PicturePayload extract_payload(const uint8_t* rgba);

int payload_version(const PicturePayload& payload);

// True when the stored SHA-1 matches the image, or when the hash field is
// all zero (pictures written without one load unchecked).
bool payload_hash_is_valid(const PicturePayload& payload);

}  // namespace tamori::cart
