#include "cart/picture_payload.h"

#include <algorithm>

#include "host/sha1.h"

namespace tamori::cart {
namespace {

constexpr uint8_t kFormatVersion = kCurrentCartridgeVersion;
constexpr uint8_t kProgramVersion[3] = {0, 2, 7};
constexpr uint8_t kPlatformLetter = 'm';

}  // namespace

PicturePayload make_picture_payload(const uint8_t* image) {
  PicturePayload payload{};
  std::copy(image, image + kRomImageSize, payload.begin());
  payload[kPayloadVersionOffset] = kFormatVersion;
  std::copy(std::begin(kProgramVersion), std::end(kProgramVersion), payload.begin() + kPayloadVersionOffset + 1);
  payload[kPayloadVersionOffset + 4] = kPlatformLetter;
  host::Sha1Digest digest = host::sha1(image, kRomImageSize);
  std::copy(digest.begin(), digest.end(), payload.begin() + kPayloadHashOffset);
  return payload;
}

void hide_payload(const PicturePayload& payload, uint8_t* rgba) {
  for (std::size_t i = 0; i < kPayloadSize; ++i) {
    uint8_t byte = payload[i];
    uint8_t* pixel = rgba + i * 4;
    pixel[0] = static_cast<uint8_t>((pixel[0] & 0xfc) | ((byte >> 4) & 3));
    pixel[1] = static_cast<uint8_t>((pixel[1] & 0xfc) | ((byte >> 2) & 3));
    pixel[2] = static_cast<uint8_t>((pixel[2] & 0xfc) | (byte & 3));
    pixel[3] = static_cast<uint8_t>((pixel[3] & 0xfc) | ((byte >> 6) & 3));
  }
}

PicturePayload extract_payload(const uint8_t* rgba) {
  PicturePayload payload{};
  for (std::size_t i = 0; i < kPayloadSize; ++i) {
    const uint8_t* pixel = rgba + i * 4;
    payload[i] = static_cast<uint8_t>((pixel[2] & 3) | ((pixel[1] & 3) << 2) | ((pixel[0] & 3) << 4) | ((pixel[3] & 3) << 6));
  }
  return payload;
}

int payload_version(const PicturePayload& payload) { return payload[kPayloadVersionOffset]; }

bool payload_hash_is_valid(const PicturePayload& payload) {
  auto field = payload.begin() + kPayloadHashOffset;
  if (std::all_of(field, field + kPayloadHashSize, [](uint8_t byte) { return byte == 0; })) return true;
  host::Sha1Digest digest = host::sha1(payload.data(), kRomImageSize);
  return std::equal(digest.begin(), digest.end(), field);
}

}  // namespace tamori::cart
