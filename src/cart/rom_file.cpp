#include "cart/rom_file.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cart/file_start.h"
#include "cart/rom_image.h"
#include "host/files.h"

namespace tamori::cart {
namespace {

constexpr int kErrorColour = 8;
constexpr int kDetailColour = 6;
constexpr std::size_t kHexDumpBytesPerLine = 32;

std::string formatted(const char* format, std::size_t value) {
  char text[64];
  std::snprintf(text, sizeof text, format, static_cast<int>(value));
  return text;
}

}  // namespace

std::unique_ptr<Cartridge> read_rom_cartridge(std::span<const uint8_t> file) {
  std::vector<uint8_t> image(kRomImageSize, 0);
  if (file.size() <= kRomCodeSize) {
    std::copy(file.begin(), file.end(), image.begin() + kRomCodeStart);
  } else {
    std::copy_n(file.begin(), std::min(file.size(), kRomImageSize), image.begin());
  }
  auto cartridge = create_cartridge();
  read_rom_image(image.data(), *cartridge);
  cartridge->version = kCurrentCartridgeVersion;
  return cartridge;
}

std::unique_ptr<Cartridge> load_rom_file(const std::string& path) {
  // Bytes past the image are not used, so they are not read.
  std::optional<std::vector<uint8_t>> file = read_file_start(path, kRomImageSize);
  if (!file) return nullptr;
  return read_rom_cartridge(*file);
}

std::string code_hex_dump(std::span<const uint8_t> stored_code) {
  static const char kDigits[] = "0123456789abcdef";
  std::string dump;
  for (std::size_t i = 0; i < stored_code.size(); ++i) {
    dump += kDigits[stored_code[i] >> 4];
    dump += kDigits[stored_code[i] & 15];
    if ((i + 1) % kHexDumpBytesPerLine == 0) dump += '\n';
  }
  return dump;
}

int save_rom_file(const Cartridge& cartridge, const std::string& path, bool code_only, const CartridgeHost& host) {
  std::vector<uint8_t> image(kRomImageSize);
  RomBuildResult built = build_rom_image(cartridge, image.data(), true);
  if (built.status != RomBuildStatus::built) {
    print_host_line(host, "could not compress code", kErrorColour);
    return 1;
  }
  std::span<const uint8_t> stored_code(image.data() + kRomCodeStart, built.compressed_length);
  if (path.find("@clip") != std::string::npos) {
    set_host_clipboard(host, code_hex_dump(stored_code));
    print_host_line(host, formatted("hexdump %d bytes to clipboard", stored_code.size()), kDetailColour);
    return 0;
  }
  if (code_only) {
    print_host_line(host, formatted("writing %d bytes (code only)", stored_code.size()), kDetailColour);
    return host::write_file(path, stored_code.data(), stored_code.size()) ? 0 : 1;
  }
  print_host_line(host, formatted("writing %d bytes", image.size()), kDetailColour);
  return host::write_file(path, image.data(), image.size()) ? 0 : 1;
}

}  // namespace tamori::cart
