#include "cart/embedded_carts.h"

#include <algorithm>

#include "cart/cartridge_bytes.h"
#include "cart/cartridge_hash.h"
#include "cart/cartridge_loader.h"
#include "cart/rom_image.h"
#include "cart/text_reader.h"
#include "cart/text_writer.h"
#include "host/console_data.h"
#include "host/log.h"
#include "host/virtual_disk.h"

namespace tamori::cart {
namespace {

bool starts_with(const std::vector<uint8_t>& bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

const host::PodItem* find_item(const std::vector<host::PodItem>& items, int number) {
  for (const host::PodItem& item : items)
    if (item.number == number) return &item;
  return nullptr;
}

std::vector<uint8_t> text_bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

}  // namespace

namespace {

// Why an item is not a cartridge image, or empty when it is one.
std::string image_refusal(const host::PodItem& item) {
  if (item.data.size() != kRomImageSize)
    return "item " + std::to_string(item.number) + " (" + item.name + ") is " + std::to_string(item.data.size()) +
           " bytes, not a " + std::to_string(kRomImageSize) + "-byte cartridge image";
  // A text cartridge that happens to have the image's size is still text.
  if (starts_with(item.data, "tamori cartridge"))
    return "item " + std::to_string(item.number) + " (" + item.name + ") is a text file, not a cartridge image";
  return "";
}

std::unique_ptr<Cartridge> decode_image(const std::vector<uint8_t>& image) {
  std::unique_ptr<Cartridge> cartridge = create_cartridge();
  read_rom_image(image.data(), *cartridge);
  return cartridge;
}

const std::string& identity_hash(const EmbeddedCart& cart) {
  if (cart.hash.empty() && cart.image) cart.hash = cartridge_hash(decode_image(*cart.image).get());
  return cart.hash;
}

}  // namespace

std::unique_ptr<Cartridge> read_embedded_cart(const host::PodItem& item, std::string* error) {
  *error = image_refusal(item);
  if (!error->empty()) return nullptr;
  return decode_image(item.data);
}

void mount_embedded_cart_items(EmbeddedCarts& table, const std::vector<host::PodItem>& items) {
  table.mounted.clear();
  host::virtual_disk_clear(host::virtual_disk());
  std::vector<const host::PodItem*> cart_items;
  for (const host::PodItem& item : items)
    if (item.number >= host::kFirstEmbeddedCartItem) cart_items.push_back(&item);
  std::sort(cart_items.begin(), cart_items.end(),
            [](const host::PodItem* a, const host::PodItem* b) { return a->number < b->number; });
  for (const host::PodItem* item : cart_items) {
    if (table.mounted.size() == kMaxEmbeddedCarts) break;
    const std::string refusal = image_refusal(*item);
    if (!refusal.empty()) {
      host::ruvo_log("** mount_embedded_cart: %s", refusal.c_str());
      continue;
    }
    auto image = std::make_shared<const std::vector<uint8_t>>(item->data);
    std::string name = item->name.substr(0, kMaxEmbeddedCartNameLength);
    const bool named = host::virtual_disk_write_later(
        host::virtual_disk(), name, [image] { return text_bytes(write_cartridge_text(*decode_image(*image))); });
    if (!named) {
      host::ruvo_log("** mount_embedded_cart: failed to mount");
      continue;
    }
    table.mounted.push_back({host::virtual_file_name(name), "", std::move(image)});
  }
}

HeadCartStatus mount_embedded_carts(EmbeddedCarts& table, const std::vector<host::PodItem>& items,
                                    WorkingCartridge& working, const CartridgeHost& host) {
  table.mounted.clear();
  host::virtual_disk_clear(host::virtual_disk());
  const host::PodItem* head_item = find_item(items, host::kFirstEmbeddedCartItem);
  if (!head_item) return HeadCartStatus::head_missing;
  std::string error;
  std::unique_ptr<Cartridge> head = read_embedded_cart(*head_item, &error);
  if (!head) {
    host::ruvo_log("** head cartridge refused: %s", error.c_str());
    return HeadCartStatus::head_unreadable;
  }
  head->version = kCurrentCartridgeVersion;
  install_working_cartridge(working, host, std::move(head));
  working.file_name = head_item->name;
  mount_embedded_cart_items(table, items);
  return HeadCartStatus::mounted;
}

std::optional<std::string> embedded_cart_name(const EmbeddedCarts& table, const std::string& hash) {
  for (const EmbeddedCart& cart : table.mounted)
    if (identity_hash(cart) == hash) return cart.file_name;
  return std::nullopt;
}

const EmbeddedCart* find_embedded_cart(const EmbeddedCarts& table, const std::string& name) {
  const std::string with_extension = with_cartridge_extension(name);
  for (const std::string& candidate : {name, with_extension, with_extension + ".png"})
    for (const EmbeddedCart& cart : table.mounted)
      if (cart.file_name == candidate) return &cart;
  return nullptr;
}

std::optional<std::string> embedded_cart_hash(const EmbeddedCarts& table, const std::string& name) {
  const EmbeddedCart* cart = find_embedded_cart(table, name);
  if (!cart) return std::nullopt;
  return identity_hash(*cart);
}

std::unique_ptr<Cartridge> load_embedded_cart(const EmbeddedCart& cart) {
  const std::vector<uint8_t>* buffer = host::virtual_disk_find(host::virtual_disk(), cart.file_name);
  if (!buffer) return nullptr;
  TextLoadResult loaded =
      read_cartridge_text(std::string_view(reinterpret_cast<const char*>(buffer->data()), buffer->size()));
  return std::move(loaded.cartridge);
}

void connect_embedded_cart_storage(machine::CartridgeStorage& storage, const EmbeddedCarts& table) {
  const EmbeddedCarts* mounted = &table;
  storage.builtin_cartridge_hash = [mounted](const std::string& name, std::string* hash) {
    std::optional<std::string> found = embedded_cart_hash(*mounted, name);
    if (found) *hash = *found;
    return found.has_value();
  };
  storage.load_builtin_cartridge = [mounted](const std::string& name, machine::CartridgeImage* image) {
    const EmbeddedCart* cart = find_embedded_cart(*mounted, name);
    std::unique_ptr<Cartridge> cartridge = cart ? load_embedded_cart(*cart) : nullptr;
    if (!cartridge) return false;
    copy_cartridge_to_rom(*cartridge, image->rom);
    std::copy(cartridge->change_mask.begin(), cartridge->change_mask.end(), image->change_mask);
    return true;
  };
}

}  // namespace tamori::cart
