#include "host/console_data.h"

#include "host/files.h"

namespace tamori::host {

std::optional<ConsoleData> console_data_from_pod(const Pod& pod) {
  ConsoleData data;
  if (const PodItem* boot = pod_find(pod, kBootCartItem))
    data.boot_cart_text.assign(boot->data.begin(), boot->data.end());

  const PodItem* resources_item = pod_find(pod, kResourcesItem);
  if (!resources_item) return std::nullopt;
  std::optional<Pod> resources = pod_decode(resources_item->data);
  if (!resources) return std::nullopt;
  for (const PodItem& item : resources->items) {
    if (item.number == kPaletteResource) {
      for (size_t i = 0; i < 256 && i * 3 + 2 < item.data.size(); i++)
        data.palette[i] = {item.data[i * 3], item.data[i * 3 + 1], item.data[i * 3 + 2]};
    } else if (item.number == kTitleResource) {
      data.title.assign(item.data.begin(), item.data.end());
    } else if (item.number == kHelpTextResource) {
      data.help_text.assign(item.data.begin(), item.data.end());
    } else if (std::optional<PodImage> image = pod_image_decode(item.data)) {
      data.images[item.number] = *image;
    }
  }
  auto image_or_empty = [&](int number) {
    auto found = data.images.find(number);
    return found == data.images.end() ? PodImage{} : found->second;
  };
  data.icon = image_or_empty(kIconResource);
  data.cart_template = image_or_empty(kCartTemplateResource);
  data.tv_frame = image_or_empty(kTvFrameResource);

  if (const PodItem* font_item = pod_find(pod, kFontItem)) {
    if (std::optional<Pod> font = pod_decode(font_item->data)) {
      for (const PodItem& glyph : font->items) {
        if (glyph.number < 0 || glyph.number > 255) continue;
        if (std::optional<PodImage> image = pod_image_decode(glyph.data))
          data.font[size_t(glyph.number)] = *image;
      }
    }
  }
  for (const PodItem& item : pod.items)
    if (item.number >= kFirstEmbeddedCartItem) data.embedded_carts.push_back(item);
  return data;
}

std::optional<ConsoleData> load_console_data(const std::string& path) {
  std::optional<std::vector<uint8_t>> bytes = read_file(path);
  if (!bytes) return std::nullopt;
  std::optional<Pod> pod = pod_decode(*bytes);
  if (!pod) return std::nullopt;
  return console_data_from_pod(*pod);
}

}  // namespace tamori::host
