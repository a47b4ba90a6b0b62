// Seeds for the binary formats, made from text cartridges at run time:
// make_seeds OUT_FOLDER CART.tm... writes NAME.png (the PNG cartridge),
// NAME.rom (the ROM image), NAME.code (the stored code block) and NAME.share
// (the share address's code and sprite parts, joined by '&') for each.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "cart/code_compress.h"
#include "cart/picture_cartridge.h"
#include "cart/rom_image.h"
#include "cart/share_address.h"
#include "cart/text_reader.h"

namespace {

void write_file(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tamori;
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_seeds OUT_FOLDER CART.tm...\n");
    return 1;
  }
  const std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out);
  for (int i = 2; i < argc; ++i) {
    cart::TextLoadResult loaded = cart::load_cartridge_text(argv[i], {.accept_future = true});
    if (!loaded.cartridge) continue;
    const std::string name = std::filesystem::path(argv[i]).stem().string();
    std::vector<uint8_t> image(cart::kRomImageSize);
    if (cart::build_rom_image(*loaded.cartridge, image.data(), false).status == cart::RomBuildStatus::built)
      write_file(out / (name + ".rom"), image);
    std::vector<uint8_t> png;
    if (cart::encode_picture_cartridge(*loaded.cartridge, nullptr, &png) == cart::PictureSaveStatus::saved)
      write_file(out / (name + ".png"), png);
    const std::vector<uint8_t> stored = cart::compress_code(loaded.cartridge->code);
    write_file(out / (name + ".code"), stored);
    const std::string share = cart::share_base64(stored) + "&" + cart::sprite_run_text(*loaded.cartridge);
    write_file(out / (name + ".share"), {share.begin(), share.end()});
  }
  return 0;
}
