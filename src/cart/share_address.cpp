#include "cart/share_address.h"

#include <vector>

#include "cart/code_compress.h"
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

// The alphabet's value of a character, or -1.
int alphabet_value(char c) {
  for (int value = 0; value < 64; value++)
    if (kAlphabet[value] == c) return value;
  return -1;
}

}  // namespace

std::optional<std::vector<uint8_t>> read_share_base64(std::string_view text) {
  while (!text.empty() && text.back() == '=') text.remove_suffix(1);
  std::vector<uint8_t> bytes;
  uint32_t group = 0;
  int bits = 0;
  for (char c : text) {
    const int value = alphabet_value(c);
    if (value < 0) return std::nullopt;
    group = (group << 6) | uint32_t(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(uint8_t(group >> bits));
      group &= (1u << bits) - 1;
    }
  }
  if (bits >= 6) return std::nullopt;  // one character cannot end a group
  return bytes;
}

std::unique_ptr<Cartridge> read_share_data(std::string_view code, std::string_view sprites) {
  auto cartridge = create_cartridge();
  std::optional<std::vector<uint8_t>> stored = read_share_base64(code);
  if (!stored) return nullptr;
  cartridge->code = decompress_code(*stored);
  std::size_t position = 0;
  auto& pixels = cartridge->sprite_sheet;
  for (std::size_t i = 0; i < sprites.size(); i++) {
    const int value = alphabet_value(sprites[i]);
    if (value < 0) return nullptr;
    int colour = value & 15, length = value / 16 + 1;
    if (value >= kLongRunMark) {
      if (i + 1 >= sprites.size()) return nullptr;
      const int extra = alphabet_value(sprites[++i]);
      if (extra < 0) return nullptr;
      colour = value - kLongRunMark;
      length = extra + 4;
    }
    for (int n = 0; n < length && position < pixels.size(); n++) pixels[position++] = uint8_t(colour);
  }
  return cartridge;
}

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
