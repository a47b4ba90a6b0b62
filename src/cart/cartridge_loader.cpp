#include "cart/cartridge_loader.h"

#include <algorithm>

#include "cart/binary_formats.h"
#include "cart/lua_source.h"

namespace tamori::cart {
namespace {

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

bool ends_with(const std::string& text, const std::string& ending) {
  return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

}  // namespace

CartridgeLoadResult load_cartridge_any_format(const std::string& path, const TextLoadOptions& options) {
  CartridgeHost host;
  host.accept_future = options.accept_future;
  return load_cartridge_any_format(path, host);
}

CartridgeLoadResult load_cartridge_any_format(const std::string& path, const CartridgeHost& host) {
  TextLoadOptions options{host.accept_future};
  CartridgeLoadResult result;
  BinaryLoadResult picture = load_picture_cartridge(path, host);
  if (picture.cartridge) {
    result.cartridge = std::move(picture.cartridge);
    result.status = TextLoadStatus::loaded;
    return result;
  }
  if (picture.future_version) {
    result.status = TextLoadStatus::future_version;
    return result;
  }

  TextLoadResult text = load_cartridge_text(path, options);
  result.status = text.status;
  if (text.cartridge || text.status != TextLoadStatus::not_a_cartridge) {
    result.cartridge = std::move(text.cartridge);
    return result;
  }

  if (contains(path, ".rom")) {
    BinaryLoadResult rom = load_rom_cartridge(path);
    if (rom.cartridge) {
      result.cartridge = std::move(rom.cartridge);
      result.status = TextLoadStatus::loaded;
    }
    return result;
  }
  if (contains(path, ".lua")) {
    result.cartridge = load_source_file(path);
    if (result.cartridge) result.status = TextLoadStatus::loaded;
  }
  return result;
}

std::string with_cartridge_extension(const std::string& name) {
  if (contains(name, ".tm")) return name;
  for (const char* ending : {".png", ".rom"}) {
    if (ends_with(name, ending)) return name.substr(0, name.size() - 4) + ".tm" + ending;
  }
  return name + ".tm";
}

std::vector<std::string> cartridge_name_candidates(const std::string& name) {
  std::string with_extension = with_cartridge_extension(name);
  std::vector<std::string> names;
  for (const std::string& candidate : {name, with_extension, with_extension + ".png", name + ".png"}) {
    if (std::find(names.begin(), names.end(), candidate) == names.end()) names.push_back(candidate);
  }
  return names;
}

CartridgeFileFormat file_format_for_name(const std::string& name) {
  if (ends_with(name, ".png")) return CartridgeFileFormat::picture;
  if (ends_with(name, ".rom")) return CartridgeFileFormat::rom;
  return CartridgeFileFormat::text;
}

}  // namespace tamori::cart
