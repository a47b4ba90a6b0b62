// The cartridges the data file carries (items 3.. of "data.pod", each a
// 32 KB ROM image named by its file name) and the mount table that records
// them. Item 3 is the head cartridge: the one the console runs after its
// boot sequence. Every mounted cartridge also has an in-memory file of its
// name (host/virtual_disk.h) holding it in the text format, so that it can
// be loaded by name.
//
// Mounting is lazy: it checks each item and names its file, and the image
// is decoded only when the file is first read or the hash first asked for
// (most runs of the console read none of them).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cart/cartridge.h"
#include "cart/cartridge_host.h"
#include "cart/working_cartridge.h"
#include "host/pod.h"
#include "machine/memory_files.h"

namespace tamori::cart {

inline constexpr std::size_t kMaxEmbeddedCarts = 32;
inline constexpr std::size_t kMaxEmbeddedCartNameLength = 255;
inline constexpr const char* kHeadCartNotFound = "head cart not found\n";

struct EmbeddedCart {
  std::string file_name;
  // Identity hash of the mounted record: empty until embedded_cart_hash,
  // embedded_cart_name or the cart storage first asks for it.
  mutable std::string hash;
  std::shared_ptr<const std::vector<uint8_t>> image;  // the item's 32 KB image
};

struct EmbeddedCarts {
  std::vector<EmbeddedCart> mounted;  // in item order; at most kMaxEmbeddedCarts
};

// A record from one data-file item; null, with the reason in `error`, when
// the item is not a 32 KB cartridge image.
std::unique_ptr<Cartridge> read_embedded_cart(const host::PodItem& item, std::string* error);

enum class HeadCartStatus { mounted, head_missing, head_unreadable };

// The boot sequence's head-cartridge step: clears the mount table and the
// in-memory files, installs item 3 as the working cartridge (version 43,
// file name = item name) and mounts every cartridge item from 3 on, at most
// kMaxEmbeddedCarts. Items that are not images are logged and skipped. On
// head_missing or head_unreadable the working cartridge is unchanged; the
// caller prints kHeadCartNotFound and stays in the boot state.
HeadCartStatus mount_embedded_carts(EmbeddedCarts& table, const std::vector<host::PodItem>& items,
                                    WorkingCartridge& working, const CartridgeHost& host);

// Clears the mount table and the in-memory files and mounts every cartridge
// item (number 3 on), at most kMaxEmbeddedCarts, without touching the
// working cartridge: for a console that runs a cartridge of its own (the
// command line's) and still lets it load the data file's. Items that are
// not images are logged and skipped.
void mount_embedded_cart_items(EmbeddedCarts& table, const std::vector<host::PodItem>& items);

// The mounted file name for an identity hash.
std::optional<std::string> embedded_cart_name(const EmbeddedCarts& table, const std::string& hash);
// The mounted cartridge a name asks for: the name itself, then with ".tm"
// added (as with_cartridge_extension adds it), then that plus ".png".
const EmbeddedCart* find_embedded_cart(const EmbeddedCarts& table, const std::string& name);
// The hash of the cartridge find_embedded_cart gives.
std::optional<std::string> embedded_cart_hash(const EmbeddedCarts& table, const std::string& name);

// A fresh record read back from a mounted cartridge's in-memory file; null
// when it is not mounted or no longer reads.
std::unique_ptr<Cartridge> load_embedded_cart(const EmbeddedCart& cart);

// Gives reload and cstore the mounted cartridges: a name that finds one
// files its stored data under the cartridge's hash, and its own image is
// read when that file does not exist yet. `table` must outlive `storage`.
void connect_embedded_cart_storage(machine::CartridgeStorage& storage, const EmbeddedCarts& table);

}  // namespace tamori::cart
