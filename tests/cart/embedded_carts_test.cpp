// Mounting the data file's cartridges: the head cartridge, the mount table's
// limit, the look-ups by name and hash, the in-memory files they are read
// back from, and items that are not cartridge images.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "cart/cartridge_hash.h"
#include "cart/embedded_carts.h"
#include "cart/rom_image.h"
#include "cart/text_writer.h"
#include "cartridge_test_support.h"
#include "host/console_data.h"
#include "host/files.h"
#include "host/log.h"
#include "host/virtual_disk.h"
#include "asset_sources.h"

namespace tamori::cart {
namespace {

std::vector<uint8_t> image_with_code(const std::string& code) {
  auto cartridge = create_cartridge();
  cartridge->code = code;
  cartridge->sprite_sheet[5] = 9;
  std::vector<uint8_t> image(kRomImageSize);
  build_rom_image(*cartridge, image.data(), true);
  return image;
}

std::vector<host::PodItem> cart_items(int count) {
  std::vector<host::PodItem> items;
  for (int i = 0; i < count; ++i) {
    std::string name = "cart" + std::to_string(i) + ".tm";
    items.push_back({host::kFirstEmbeddedCartItem + i, name, image_with_code("-- cartridge " + std::to_string(i))});
  }
  return items;
}

struct EmbeddedCartsTest : ::testing::Test {
  EmbeddedCarts table;
  WorkingCartridge working;
  CartridgeHost host;

  void SetUp() override { host::ruvo_log_capture(true); }
  void TearDown() override {
    host::virtual_disk_clear(host::virtual_disk());
    host::ruvo_log_capture(false);
  }
};

TEST_F(EmbeddedCartsTest, HeadCartridgeBecomesTheWorkingCartridgeAndAtMost32AreMounted) {
  std::vector<host::PodItem> items = cart_items(33);
  items.insert(items.begin(), {host::kFontItem, "font", {1, 2, 3}});  // not a cartridge item
  ASSERT_EQ(mount_embedded_carts(table, items, working, host), HeadCartStatus::mounted);
  EXPECT_EQ(working.cartridge->code, "-- cartridge 0");
  EXPECT_EQ(working.cartridge->sprite_sheet[5], 9);
  EXPECT_EQ(working.cartridge->version, kCurrentCartridgeVersion);
  EXPECT_EQ(working.file_name, "cart0.tm");
  ASSERT_EQ(table.mounted.size(), kMaxEmbeddedCarts);
  EXPECT_EQ(table.mounted.back().file_name, "cart31.tm");
  EXPECT_EQ(find_embedded_cart(table, "cart32.tm"), nullptr);
  EXPECT_EQ(host::virtual_disk().buffers.size(), kMaxEmbeddedCarts);

  // Mounting again starts from an empty table.
  ASSERT_EQ(mount_embedded_carts(table, cart_items(2), working, host), HeadCartStatus::mounted);
  EXPECT_EQ(table.mounted.size(), 2u);
  EXPECT_EQ(host::virtual_disk().buffers.size(), 2u);
}

TEST_F(EmbeddedCartsTest, LookUpsByNameTryTheNameThenTmThenTmPng) {
  std::vector<host::PodItem> items = cart_items(1);
  items.push_back({4, "plain.tm", image_with_code("-- plain")});
  items.push_back({5, "picture.tm.png", image_with_code("-- picture")});
  items.push_back({6, "bare", image_with_code("-- bare")});
  ASSERT_EQ(mount_embedded_carts(table, items, working, host), HeadCartStatus::mounted);
  const struct {
    const char* asked;
    const char* found;  // null: not found
  } cases[] = {
      {"plain.tm", "plain.tm"}, {"plain", "plain.tm"},     {"picture", "picture.tm.png"},
      {"picture.tm", "picture.tm.png"}, {"bare", "bare"},  {"picture.tm.png", "picture.tm.png"},
      {"plai", nullptr},        {"bare.tm", nullptr},      {"", nullptr},
  };
  for (const auto& c : cases) {
    const EmbeddedCart* cart = find_embedded_cart(table, c.asked);
    if (!c.found) {
      EXPECT_EQ(cart, nullptr) << c.asked;
      EXPECT_FALSE(embedded_cart_hash(table, c.asked)) << c.asked;
      continue;
    }
    ASSERT_NE(cart, nullptr) << c.asked;
    EXPECT_EQ(cart->file_name, c.found);
    std::unique_ptr<Cartridge> loaded = load_embedded_cart(*cart);
    ASSERT_TRUE(loaded) << c.asked;
    EXPECT_EQ(embedded_cart_hash(table, c.asked), cartridge_hash(loaded.get())) << c.asked;
    EXPECT_EQ(embedded_cart_name(table, cartridge_hash(loaded.get())), c.found);
  }
  EXPECT_EQ(load_embedded_cart(*find_embedded_cart(table, "picture"))->code, "-- picture");
  EXPECT_FALSE(embedded_cart_name(table, std::string(40, '0')));
}

TEST_F(EmbeddedCartsTest, InMemoryFilesAreReadWhenTheHostHasNoSuchFile) {
  ASSERT_EQ(mount_embedded_carts(table, cart_items(2), working, host), HeadCartStatus::mounted);
  // Any folder: the buffer is found by file name and extension.
  std::optional<std::vector<uint8_t>> text = host::read_file("/no/such/folder/cart1.tm");
  ASSERT_TRUE(text);
  auto cartridge = create_cartridge();
  cartridge->code = "-- cartridge 1";
  cartridge->sprite_sheet[5] = 9;
  EXPECT_EQ(std::string(text->begin(), text->end()), write_cartridge_text(*cartridge));
  EXPECT_FALSE(host::read_file("/no/such/folder/cart2.tm"));

  // A host file of the same name comes first.
  test::TemporaryFolder folder("embedded");
  const std::string on_disk = folder.file("cart1.tm");
  ASSERT_TRUE(host::write_file(on_disk, std::string("host copy")));
  text = host::read_file(on_disk);
  ASSERT_TRUE(text);
  EXPECT_EQ(std::string(text->begin(), text->end()), "host copy");
}

// Mounted files are made when first read: once, and a later plain write
// of the same name replaces the one still to be made.
TEST_F(EmbeddedCartsTest, FilesWrittenLaterAreMadeOnceWhenFirstRead) {
  int made = 0;
  host::VirtualDisk& disk = host::virtual_disk();
  ASSERT_TRUE(host::virtual_disk_write_later(disk, "carts/later.tm", [&made] {
    made++;
    return std::vector<uint8_t>{'o', 'k'};
  }));
  EXPECT_FALSE(host::virtual_disk_write_later(disk, "carts/", [] { return std::vector<uint8_t>{}; }));
  EXPECT_EQ(made, 0);
  for (int read = 0; read < 2; read++) {
    std::optional<std::vector<uint8_t>> bytes = host::read_file("/elsewhere/later.tm");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "ok");
  }
  EXPECT_EQ(made, 1);
  ASSERT_TRUE(host::virtual_disk_write_later(disk, "again.tm", [&made] {
    made++;
    return std::vector<uint8_t>{'x'};
  }));
  ASSERT_TRUE(host::virtual_disk_write(disk, "again.tm", {'y'}));
  EXPECT_EQ(*host::virtual_disk_find(disk, "again.tm"), std::vector<uint8_t>{'y'});
  EXPECT_EQ(made, 1);
}

TEST_F(EmbeddedCartsTest, ItemsThatAreNotImagesAreRefusedWithAReason) {
  std::vector<uint8_t> text_sized(kRomImageSize, ' ');
  const std::string header = "tamori cartridge // x\nversion 43\n";
  std::copy(header.begin(), header.end(), text_sized.begin());
  const struct {
    std::vector<uint8_t> data;
    const char* reason;
  } cases[] = {
      {std::vector<uint8_t>(kRomImageSize - 1), "is 32767 bytes, not a 32768-byte cartridge image"},
      {std::vector<uint8_t>(kRomImageSize + 1), "is 32769 bytes, not a 32768-byte cartridge image"},
      {{}, "is 0 bytes"},
      {text_sized, "is a text file, not a cartridge image"},
  };
  for (const auto& c : cases) {
    std::vector<host::PodItem> items = cart_items(2);
    items.push_back({5, "bad.tm", c.data});
    const std::string log_before = host::ruvo_log_captured();
    ASSERT_EQ(mount_embedded_carts(table, items, working, host), HeadCartStatus::mounted);
    EXPECT_EQ(table.mounted.size(), 2u) << c.reason;
    EXPECT_EQ(find_embedded_cart(table, "bad"), nullptr);
    const std::string logged = host::ruvo_log_captured().substr(log_before.size());
    EXPECT_NE(logged.find("mount_embedded_cart: item 5 (bad.tm) "), std::string::npos) << logged;
    EXPECT_NE(logged.find(c.reason), std::string::npos) << logged;

    // The same item as the head cartridge: the boot cannot go on and the
    // working cartridge stays as it was.
    items = {{host::kFirstEmbeddedCartItem, "bad.tm", c.data}};
    working.cartridge->code = "-- before";
    EXPECT_EQ(mount_embedded_carts(table, items, working, host), HeadCartStatus::head_unreadable) << c.reason;
    EXPECT_EQ(working.cartridge->code, "-- before");
  }
  std::vector<host::PodItem> no_head = cart_items(3);
  no_head.erase(no_head.begin());
  EXPECT_EQ(mount_embedded_carts(table, no_head, working, host), HeadCartStatus::head_missing);
  EXPECT_TRUE(table.mounted.empty());
}

TEST_F(EmbeddedCartsTest, AnItemWithoutAFileNameCannotBeMounted) {
  std::vector<host::PodItem> items = cart_items(2);
  items[1].name = "";
  ASSERT_EQ(mount_embedded_carts(table, items, working, host), HeadCartStatus::mounted);
  EXPECT_EQ(table.mounted.size(), 1u);
  EXPECT_NE(host::ruvo_log_captured().find("** mount_embedded_cart: failed to mount"), std::string::npos);
}

TEST_F(EmbeddedCartsTest, StoredDataOfAMountedCartridgeIsFiledUnderItsHash) {
  ASSERT_EQ(mount_embedded_carts(table, cart_items(2), working, host), HeadCartStatus::mounted);
  machine::CartridgeStorage storage;
  connect_embedded_cart_storage(storage, table);
  std::string hash;
  ASSERT_TRUE(storage.builtin_cartridge_hash("cart1", &hash));
  EXPECT_EQ(hash, table.mounted[1].hash);
  EXPECT_FALSE(storage.builtin_cartridge_hash("cart9", &hash));
  machine::CartridgeImage image;
  ASSERT_TRUE(storage.load_builtin_cartridge("cart1.tm", &image));
  EXPECT_EQ(image.rom[2], 9 << 4);  // sprite pixel 5 is the high nibble of byte 2
  EXPECT_FALSE(storage.load_builtin_cartridge("cart9", &image));
}

TEST(EmbeddedCartPacking, CartridgesArePackedInTheOrderOfOrderTxt) {
  test::TemporaryFolder folder("packing");
  const std::string carts = folder.folder();
  auto text_cart = [](const std::string& code) {
    auto cartridge = create_cartridge();
    cartridge->code = code;
    return write_cartridge_text(*cartridge);
  };
  ASSERT_TRUE(host::write_file(carts + "b.tm", text_cart("-- b")));
  ASSERT_TRUE(host::write_file(carts + "a.tm", text_cart(std::string(20000, 'x') + "-- a")));
  ASSERT_TRUE(host::write_file(carts + "order.txt", std::string("b.tm\n\na.tm\n")));
  host::Pod pod;
  std::vector<tools::AssetError> errors;
  tools::pack_embedded_carts(pod, carts, errors);
  ASSERT_TRUE(errors.empty()) << errors[0].message;
  ASSERT_EQ(pod.items.size(), 2u);
  const struct {
    int number;
    const char* name;
    std::string code;
  } expected[] = {{3, "b.tm", "-- b"}, {4, "a.tm", std::string(20000, 'x') + "-- a"}};
  for (const auto& e : expected) {
    const host::PodItem* item = host::pod_find(pod, e.number);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->name, e.name);
    ASSERT_EQ(item->data.size(), kRomImageSize);
    std::string error;
    std::unique_ptr<Cartridge> read = read_embedded_cart(*item, &error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->code, e.code);
  }

  // Code that cannot be compressed into the image, a missing file and a
  // file that is no cartridge are reported, not packed.
  std::string noise;
  std::mt19937 random(7);
  for (int i = 0; i < 30000; ++i) noise += char('a' + random() % 26);
  ASSERT_TRUE(host::write_file(carts + "big.tm", text_cart(noise)));
  ASSERT_TRUE(host::write_file(carts + "junk.tm", std::string("not a cartridge")));
  ASSERT_TRUE(host::write_file(carts + "order.txt", std::string("big.tm\nmissing.tm\njunk.tm\n")));
  host::Pod refused;
  tools::pack_embedded_carts(refused, carts, errors);
  EXPECT_TRUE(refused.items.empty());
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_NE(errors[0].message.find("compressed code is"), std::string::npos);
  EXPECT_EQ(errors[1].message, "cannot read cartridge missing.tm");
  EXPECT_EQ(errors[2].message, "not a text cartridge");
}

TEST(EmbeddedCartPacking, TheBuiltDataFileCarriesTheHeadCartridge) {
  std::optional<host::ConsoleData> data = host::load_console_data(TAMORI_BUILD_DIR "/data.pod");
  ASSERT_TRUE(data);
  ASSERT_FALSE(data->embedded_carts.empty());
  EXPECT_EQ(data->embedded_carts[0].number, host::kFirstEmbeddedCartItem);
  EXPECT_EQ(data->embedded_carts[0].name, "launcher.tm");
  EmbeddedCarts table;
  WorkingCartridge working;
  EXPECT_EQ(mount_embedded_carts(table, data->embedded_carts, working, CartridgeHost{}), HeadCartStatus::mounted);
  EXPECT_NE(working.cartridge->code.find("tamori launcher"), std::string::npos);
  host::virtual_disk_clear(host::virtual_disk());
}

}  // namespace
}  // namespace tamori::cart
