// What the console takes from its data file "data.pod": the host palette,
// title, window icon, interface images, the built-in font, the boot
// cartridge and the embedded cartridges.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/pod.h"

namespace tamori::host {

// Item numbers inside the data file and its resource container (item 1).
inline constexpr int kBootCartItem = 0;
inline constexpr int kResourcesItem = 1;
inline constexpr int kFontItem = 2;
inline constexpr int kFirstEmbeddedCartItem = 3;
inline constexpr int kPaletteResource = 1;
inline constexpr int kTitleResource = 4;
inline constexpr int kIconResource = 6;
inline constexpr int kCartTemplateResource = 145;
inline constexpr int kTvFrameResource = 249;
inline constexpr int kBootCursorResource = 267;
// The pause menu's pointer beside the selected item, the controls picture
// and the mouse pointer drawn over it.
inline constexpr int kMenuPointerResource = 189;
inline constexpr int kControlsPictureResource = 190;
inline constexpr int kMousePointerResource = 191;
inline constexpr int kHelpTextResource = 300;

struct ConsoleData {
  std::array<std::array<uint8_t, 3>, 256> palette{};
  std::string title;
  PodImage icon;
  PodImage cart_template;
  PodImage tv_frame;
  // Every image of the resource container by item number (icon, template,
  // pause-menu images, the boot cursor ...).
  std::map<int, PodImage> images;
  // One image per character code: 4 x 6 below 128, 8 x 6 from 128; pixel
  // value 1 is ink.
  std::array<PodImage, 256> font;
  std::string boot_cart_text;
  // The help topics (assets/help.txt).
  std::string help_text;
  std::vector<PodItem> embedded_carts;
};

std::optional<ConsoleData> console_data_from_pod(const Pod& pod);
// Nothing when the file is missing or not a data file.
std::optional<ConsoleData> load_console_data(const std::string& path);

}  // namespace tamori::host
