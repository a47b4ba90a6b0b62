#include "asset_sources.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "cart/cartridge_bytes.h"
#include "cart/rom_image.h"
#include "cart/text_reader.h"
#include "host/console_data.h"
#include "host/files.h"

namespace tamori::tools {
namespace {

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream stream(text);
  while (std::getline(stream, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool is_skippable(const std::string& line) {
  return line.empty() || line[0] == '#';
}

int colour_of_character(char c) {
  if (c == '.') return 0;
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'g' && c <= 'v') return 128 + (c - 'g');
  return -1;
}

std::optional<std::string> read_text(const std::string& path) {
  auto bytes = host::read_file(path);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

std::vector<uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

std::optional<std::vector<uint8_t>> embedded_cart_image(const std::string& text, std::string* error) {
  cart::TextLoadResult loaded = cart::read_cartridge_text(text);
  if (!loaded.cartridge) {
    *error = "not a text cartridge";
    return std::nullopt;
  }
  cart::reconcile_shared_region(*loaded.cartridge);
  std::vector<uint8_t> image(cart::kRomImageSize);
  cart::RomBuildResult built = cart::build_rom_image(*loaded.cartridge, image.data(), true);
  if (built.status == cart::RomBuildStatus::code_too_large) {
    *error = "compressed code is " + std::to_string(built.compressed_length) + " bytes, more than " +
             std::to_string(cart::kRomCodeSize);
    return std::nullopt;
  }
  if (built.status == cart::RomBuildStatus::flatten_failed) {
    *error = "code with #include cannot be packed";
    return std::nullopt;
  }
  return image;
}

void pack_embedded_carts(host::Pod& pod, const std::string& carts_folder, std::vector<AssetError>& errors) {
  const std::string order_file = carts_folder + "order.txt";
  std::optional<std::string> order = read_text(order_file);
  if (!order) {
    errors.push_back({order_file, 0, "cannot read"});
    return;
  }
  int number = host::kFirstEmbeddedCartItem;
  int line_number = 0;
  for (const std::string& line : split_lines(*order)) {
    ++line_number;
    if (is_skippable(line)) continue;
    std::optional<std::string> text = read_text(carts_folder + line);
    if (!text) {
      errors.push_back({order_file, line_number, "cannot read cartridge " + line});
      continue;
    }
    std::string error;
    std::optional<std::vector<uint8_t>> image = embedded_cart_image(*text, &error);
    if (!image) {
      errors.push_back({carts_folder + line, 0, error});
      continue;
    }
    host::pod_put(pod, number++, line, std::move(*image));
  }
}


std::optional<std::vector<uint8_t>> parse_palette(const std::string& text, std::vector<AssetError>& errors,
                                                  const std::string& file) {
  std::vector<uint8_t> palette(768, 0);
  int line_number = 0;
  bool ok = true;
  for (const std::string& line : split_lines(text)) {
    line_number++;
    if (is_skippable(line)) continue;
    int index = -1;
    unsigned rgb = 0;
    if (std::sscanf(line.c_str(), "%d #%6x", &index, &rgb) != 2 || index < 0 || index > 255) {
      errors.push_back({file, line_number, "expected '<index 0..255> #rrggbb'"});
      ok = false;
      continue;
    }
    palette[size_t(index) * 3] = uint8_t(rgb >> 16);
    palette[size_t(index) * 3 + 1] = uint8_t(rgb >> 8);
    palette[size_t(index) * 3 + 2] = uint8_t(rgb);
  }
  if (!ok) return std::nullopt;
  return palette;
}

std::optional<host::PodImage> parse_image(const std::string& text, std::vector<AssetError>& errors,
                                          const std::string& file) {
  std::vector<std::string> lines = split_lines(text);
  size_t position = 0;
  while (position < lines.size() && is_skippable(lines[position])) position++;
  host::PodImage image;
  if (position >= lines.size() ||
      std::sscanf(lines[position].c_str(), "size %d %d", &image.width, &image.height) != 2 ||
      image.width < 1 || image.height < 1 || image.width > 4096 || image.height > 4096) {
    errors.push_back({file, int(position) + 1, "expected 'size <width> <height>'"});
    return std::nullopt;
  }
  position++;
  for (int y = 0; y < image.height; y++, position++) {
    if (position >= lines.size()) {
      errors.push_back({file, int(position) + 1, "missing pixel rows"});
      return std::nullopt;
    }
    const std::string& row = lines[position];
    if (int(row.size()) != image.width) {
      errors.push_back({file, int(position) + 1,
                        "row is " + std::to_string(row.size()) + " wide, expected " + std::to_string(image.width)});
      return std::nullopt;
    }
    for (char c : row) {
      int colour = colour_of_character(c);
      if (colour < 0) {
        errors.push_back({file, int(position) + 1, std::string("bad colour character '") + c + "'"});
        return std::nullopt;
      }
      image.pixels.push_back(uint8_t(colour));
    }
  }
  return image;
}

std::optional<host::Pod> parse_font(const std::string& text, std::vector<AssetError>& errors,
                                    const std::string& file) {
  std::vector<std::string> lines = split_lines(text);
  std::map<int, host::PodImage> glyphs;
  bool ok = true;
  for (size_t position = 0; position < lines.size(); position++) {
    const std::string& line = lines[position];
    if (is_skippable(line)) continue;
    int code = -1;
    if (std::sscanf(line.c_str(), "glyph %d", &code) != 1 || code < 0 || code > 255) {
      errors.push_back({file, int(position) + 1, "expected 'glyph <code 0..255>'"});
      ok = false;
      continue;
    }
    if (glyphs.count(code)) {
      errors.push_back({file, int(position) + 1, "glyph " + std::to_string(code) + " defined twice"});
      ok = false;
    }
    host::PodImage glyph;
    glyph.width = code < 128 ? 4 : 8;
    glyph.height = 6;
    for (int row = 0; row < 6; row++) {
      position++;
      if (position >= lines.size() || int(lines[position].size()) != glyph.width) {
        errors.push_back({file, int(position) + 1,
                          "glyph " + std::to_string(code) + " needs 6 rows of " + std::to_string(glyph.width)});
        return std::nullopt;
      }
      for (char c : lines[position]) {
        if (c != '#' && c != '.') {
          errors.push_back({file, int(position) + 1, "glyph pixels are '#' or '.'"});
          return std::nullopt;
        }
        glyph.pixels.push_back(c == '#' ? 1 : 0);
      }
    }
    glyphs[code] = glyph;
  }
  if (!ok) return std::nullopt;
  host::Pod font;
  for (int code = 0; code < 256; code++) {
    host::PodImage glyph = glyphs.count(code) ? glyphs[code] : host::PodImage{};
    if (glyph.width == 0) {
      glyph.width = code < 128 ? 4 : 8;
      glyph.height = 6;
      glyph.pixels.assign(size_t(glyph.width) * 6, 0);
    }
    host::pod_put(font, code, "glyph " + std::to_string(code), host::pod_image_encode(glyph));
  }
  return font;
}

AssetResult build_console_pod(const std::string& assets_folder) {
  AssetResult result;
  auto& errors = result.errors;
  const std::string folder = assets_folder.empty() || assets_folder.back() == '/' ? assets_folder : assets_folder + "/";
  host::Pod pod, resources;

  auto required_text = [&](const std::string& name) -> std::optional<std::string> {
    auto text = read_text(folder + name);
    if (!text) errors.push_back({folder + name, 0, "cannot read"});
    return text;
  };

  if (auto boot = required_text("boot.tm")) host::pod_put(pod, host::kBootCartItem, "boot.tm", bytes_of(*boot));
  if (auto text = required_text("palette.txt"))
    if (auto palette = parse_palette(*text, errors, folder + "palette.txt"))
      host::pod_put(resources, host::kPaletteResource, "palette", *palette);
  if (auto title = required_text("title.txt")) {
    std::string line = title->substr(0, title->find('\n'));
    host::pod_put(resources, host::kTitleResource, "title", bytes_of(line));
  }

  if (auto help = required_text("help.txt")) host::pod_put(resources, host::kHelpTextResource, "help", bytes_of(*help));

  // Images: named files, plus any "item_<n>.txt" / "anim_<n>.txt" by number.
  const std::map<std::string, int> named_images = {
      {"icon", host::kIconResource},
      {"cart_template", host::kCartTemplateResource},
      {"tv_frame", host::kTvFrameResource},
      {"boot_cursor", host::kBootCursorResource},
  };
  std::error_code error;
  std::vector<std::filesystem::path> image_files;
  for (const auto& entry : std::filesystem::directory_iterator(folder + "images", error))
    if (entry.path().extension() == ".txt") image_files.push_back(entry.path());
  std::sort(image_files.begin(), image_files.end());
  for (const auto& path : image_files) {
    std::string stem = path.stem().string();
    int number = -1;
    if (auto named = named_images.find(stem); named != named_images.end()) {
      number = named->second;
    } else if (std::sscanf(stem.c_str(), "item_%d", &number) != 1 &&
               std::sscanf(stem.c_str(), "anim_%d", &number) != 1) {
      continue;
    }
    auto text = read_text(path.string());
    if (!text) continue;
    if (auto image = parse_image(*text, errors, path.string()))
      host::pod_put(resources, number, stem, host::pod_image_encode(*image));
  }
  host::pod_put(pod, host::kResourcesItem, "resources", host::pod_encode(resources));

  if (auto text = required_text("font.txt"))
    if (auto font = parse_font(*text, errors, folder + "font.txt"))
      host::pod_put(pod, host::kFontItem, "font", host::pod_encode(*font));

  pack_embedded_carts(pod, folder + "carts/", errors);
  if (errors.empty()) result.pod = pod;
  return result;
}

}  // namespace tamori::tools
