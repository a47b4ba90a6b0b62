#include "cart/share_address.h"

#include <vector>

#include "cart/rom_image.h"

namespace tamori::cart {
namespace {

constexpr const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_-";
constexpr int kMaxRunLength = 67;
constexpr int kLongRunMark = 48;
constexpr int kErrorColour = 8;
constexpr int kRefusedColour = 9;
constexpr int kDetailColour = 6;

void append_run(std::string& text, int colour, int length) {
  if (length <= 3) {
    text += kAlphabet[colour + 16 * (length - 1)];
  } else {
    text += kAlphabet[kLongRunMark + colour];
    text += kAlphabet[length - 4];
  }
}

}  // namespace

std::string share_base64(std::span<const uint8_t> bytes) {
  std::string text;
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    uint32_t group = (uint32_t(bytes[i]) << 16) | (uint32_t(bytes[i + 1]) << 8) | bytes[i + 2];
    for (int shift = 18; shift >= 0; shift -= 6) text += kAlphabet[(group >> shift) & 63];
  }
  std::size_t left = bytes.size() - i;
  if (left > 0) {
    uint32_t group = uint32_t(bytes[i]) << 16;
    if (left == 2) group |= uint32_t(bytes[i + 1]) << 8;
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += left == 2 ? kAlphabet[(group >> 6) & 63] : '=';
    text += '=';
  }
  return text;
}

std::string sprite_run_text(const Cartridge& cartridge) {
  const auto& pixels = cartridge.sprite_sheet;
  std::size_t end = pixels.size();
  while (end > 0 && (pixels[end - 1] & 15) == 0) --end;
  std::string text;
  std::size_t position = 0;
  while (position < end) {
    int colour = pixels[position] & 15;
    int length = 1;
    while (length < kMaxRunLength && position + length < end && (pixels[position + length] & 15) == colour) ++length;
    append_run(text, colour, length);
    position += length;
  }
  return text;
}

std::string compose_share_address(const Cartridge& cartridge, std::span<const uint8_t> stored_code) {
  std::string address = std::string(kShareBaseAddress) + "?c=" + share_base64(stored_code);
  std::string sprites = sprite_run_text(cartridge);
  if (!sprites.empty()) address += "&g=" + sprites;
  return address;
}

int share_cartridge(const Cartridge& cartridge, const CartridgeHost& host) {
  std::vector<uint8_t> image(kRomImageSize);
  // The audio thread plays from the record's effects and music.
  if (host.lock_audio) host.lock_audio();
  RomBuildResult built = build_rom_image(cartridge, image.data(), true);
  if (host.unlock_audio) host.unlock_audio();
  if (built.status != RomBuildStatus::built) {
    print_host_line(host, "could not compress code", kErrorColour);
    return 1;
  }
  std::string address = compose_share_address(cartridge, {image.data() + kRomCodeStart, built.compressed_length});
  int result = 1;
  if (address.size() >= kMaxShareAddressLength) {
    print_host_line(host, "** failed: url is too long", kRefusedColour);
  } else {
    set_host_clipboard(host, address);
    print_host_line(host, "copied url to clipboard", kDetailColour);
    result = 0;
  }
  print_host_line(host, std::to_string(address.size()) + " / " + std::to_string(kMaxShareAddressLength) + " chars",
                  kDetailColour);
  return result;
}

}  // namespace tamori::cart
