#include "cart/picture_cartridge.h"

#include <lodepng.h>

#include <algorithm>
#include <cstdio>

#include "cart/cartridge_picture.h"
#include "cart/file_start.h"
#include "cart/picture_payload.h"
#include "cart/rom_image.h"
#include "host/files.h"

namespace tamori::cart {
namespace {

constexpr int kErrorColour = 8;
constexpr int kFutureVersionMilliseconds = 1500;
// Room for the decoded picture at any bit depth, with filter bytes and
// interlacing; a stream that inflates to more is hostile.
constexpr std::size_t kMaxInflatedPictureSize = std::size_t(4) << 20;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

PictureLoadResult failed(PictureLoadStatus status) {
  PictureLoadResult result;
  result.status = status;
  return result;
}

// The RGBA pixels of a 160 x 205 PNG, or the status that says why not.
PictureLoadStatus decode_picture(std::span<const uint8_t> file, std::vector<uint8_t>* rgba) {
  lodepng::State state;
  unsigned width = 0, height = 0;
  // The header alone decides the size, so a hostile picture of huge
  // dimensions is never decoded.
  if (lodepng_inspect(&width, &height, &state, file.data(), file.size()) != 0) return PictureLoadStatus::not_a_picture;
  if (width != kPictureWidth || height != kPictureHeight) return PictureLoadStatus::wrong_size;
  state.info_raw.colortype = LCT_RGBA;
  state.info_raw.bitdepth = 8;
  state.decoder.zlibsettings.max_output_size = kMaxInflatedPictureSize;
  rgba->clear();
  if (lodepng::decode(*rgba, width, height, state, file.data(), file.size()) != 0) return PictureLoadStatus::not_a_picture;
  if (rgba->size() != kPicturePixelCount * 4) return PictureLoadStatus::not_a_picture;
  return PictureLoadStatus::loaded;
}

}  // namespace

PictureSaveStatus encode_picture_cartridge(const Cartridge& cartridge, const host::ConsoleData* data,
                                           std::vector<uint8_t>* png) {
  std::vector<uint8_t> image(kRomImageSize);
  if (build_rom_image(cartridge, image.data(), false).status != RomBuildStatus::built)
    return PictureSaveStatus::code_too_large;
  std::vector<uint8_t> rgba = compose_cartridge_picture(cartridge, data);
  hide_payload(make_picture_payload(image.data()), rgba.data());

  lodepng::State state;
  state.info_raw.colortype = LCT_RGBA;
  state.info_raw.bitdepth = 8;
  state.info_png.color.colortype = LCT_RGBA;
  state.info_png.color.bitdepth = 8;
  state.encoder.auto_convert = 0;
  png->clear();
  if (lodepng::encode(*png, rgba, kPictureWidth, kPictureHeight, state) != 0) return PictureSaveStatus::not_written;
  return PictureSaveStatus::saved;
}

PictureLoadResult read_picture_cartridge(std::span<const uint8_t> file, const CartridgeHost& host) {
  std::vector<uint8_t> rgba;
  PictureLoadStatus decoded = decode_picture(file, &rgba);
  if (decoded != PictureLoadStatus::loaded) return failed(decoded);

  PicturePayload payload = extract_payload(rgba.data());
  int version = payload_version(payload);
  if (version > kCurrentCartridgeVersion) {
    if (!host.accept_future) {
      char line[32];
      std::snprintf(line, sizeof line, "future version: %d", version);
      print_host_line(host, line, kErrorColour);
      return failed(PictureLoadStatus::future_version);
    }
    show_host_message(host, "loading future cart version", kFutureVersionMilliseconds);
  }
  if (!payload_hash_is_valid(payload)) {
    print_host_line(host, "cartridge data is corrupted", kErrorColour);
    return failed(PictureLoadStatus::corrupted);
  }

  PictureLoadResult result;
  result.cartridge = create_cartridge();
  read_rom_image(payload.data(), *result.cartridge);
  result.cartridge->version = version;
  result.cartridge->label = label_from_picture(rgba.data(), host.console_data);
  result.status = PictureLoadStatus::loaded;
  return result;
}

PictureLoadResult load_picture_file(const std::string& path, const CartridgeHost& host) {
  if (!host::file_exists(path)) return failed(PictureLoadStatus::no_file);
  // Every other format is tried after this one: look at the signature
  // before reading a large file whole.
  std::optional<std::vector<uint8_t>> signature = read_file_start(path, sizeof kPngSignature);
  if (!signature || !std::equal(signature->begin(), signature->end(), kPngSignature, kPngSignature + sizeof kPngSignature))
    return failed(PictureLoadStatus::not_a_picture);
  std::optional<std::vector<uint8_t>> file = host::read_file(path, kMaxPictureFileSize);
  if (!file) return failed(PictureLoadStatus::not_a_picture);
  return read_picture_cartridge(*file, host);
}

PictureSaveStatus save_picture_file(const Cartridge& cartridge, const std::string& path, const CartridgeHost& host) {
  std::vector<uint8_t> png;
  PictureSaveStatus encoded = encode_picture_cartridge(cartridge, host.console_data, &png);
  if (encoded == PictureSaveStatus::code_too_large) print_host_line(host, "could not compress code", kErrorColour);
  if (encoded != PictureSaveStatus::saved) return encoded;
  return host::write_file(path, png.data(), png.size()) ? PictureSaveStatus::saved : PictureSaveStatus::not_written;
}

}  // namespace tamori::cart
