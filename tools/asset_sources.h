// Reads the editable text sources in assets/ (palette, font, images, title,
// boot cartridge) and assembles them into the console data file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/pod.h"

namespace tamori::tools {

struct AssetError {
  std::string file;
  int line = 0;
  std::string message;
};

struct AssetResult {
  std::optional<host::Pod> pod;
  std::vector<AssetError> errors;
};

// "<index> #rrggbb" lines into 768 palette bytes.
std::optional<std::vector<uint8_t>> parse_palette(const std::string& text, std::vector<AssetError>& errors,
                                                  const std::string& file);
// "size W H" then H rows of W colour characters ('0'-'9', 'a'-'f', 'g'-'v', '.').
std::optional<host::PodImage> parse_image(const std::string& text, std::vector<AssetError>& errors,
                                          const std::string& file);
// "glyph <code> ..." blocks of 6 rows, 4 wide below 128 and 8 wide from 128.
std::optional<host::Pod> parse_font(const std::string& text, std::vector<AssetError>& errors,
                                    const std::string& file);

// A text cartridge as the 32 KB image the data file carries (code
// compressed); nothing, with the reason in `error`, when it does not fit.
std::optional<std::vector<uint8_t>> embedded_cart_image(const std::string& text, std::string* error);
// The cartridges named in `carts_folder`/order.txt (one file name a line;
// the first is the head cartridge) as items 3.. of `pod`.
void pack_embedded_carts(host::Pod& pod, const std::string& carts_folder, std::vector<AssetError>& errors);

// Builds the whole data file from an assets folder.
AssetResult build_console_pod(const std::string& assets_folder);

}  // namespace tamori::tools
