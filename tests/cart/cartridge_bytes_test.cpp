// The record's byte view, the shared sprite/map region, the identity hash
// and code tabs.
#include <gtest/gtest.h>

#include <random>

#include "cart/cartridge_bytes.h"
#include "cart/cartridge_hash.h"
#include "cart/code_tabs.h"
#include "cartridge_test_support.h"
#include "machine/memory_files.h"

namespace tamori::cart {
namespace {

TEST(CartridgeBytes, NewRecordHasTheNewCartridgeImage) {
  auto cartridge = create_cartridge();
  uint8_t rom[kRomByteCount];
  copy_cartridge_to_rom(*cartridge, rom);
  machine::CartridgeImage expected = machine::make_new_cartridge_image();
  EXPECT_TRUE(std::equal(rom, rom + kRomByteCount, expected.rom));
  EXPECT_TRUE(std::equal(cartridge->change_mask.begin(), cartridge->change_mask.end(), expected.change_mask));
}

struct ByteCase {
  uint32_t address;
  uint8_t value;
  const char* part;
};

TEST(CartridgeBytes, EachRegionStoresItsBytesInItsOwnForm) {
  const ByteCase cases[] = {
      {0x0000, 0x21, "sprite pixels (1, 2) at row 0"},
      {0x0fff, 0x9c, "last pixels of sprite row 63"},
      {0x1040, 0x5a, "sprite row 65 and map row 32"},
      {0x2000, 0xfe, "map cell 0"},
      {0x2fff, 0x01, "last cell of map row 31"},
      {0x3000, 0x80, "flag of sprite 0"},
      {0x3101, 0x85, "music pattern 0 track 1 with flag 1"},
      {0x3200, 0x7f, "low byte of effect 0 note 0"},
      {0x3241, 0x20, "speed of effect 0"},
      {0x42ff, 0xee, "loop end of effect 63"},
  };
  for (const ByteCase& byte : cases) {
    auto cartridge = create_cartridge();
    write_cartridge_byte(*cartridge, byte.address, byte.value);
    EXPECT_EQ(read_cartridge_byte(*cartridge, byte.address), byte.value) << byte.part;
  }
  auto cartridge = create_cartridge();
  write_cartridge_byte(*cartridge, 0x1040, 0x5a);
  EXPECT_EQ(cartridge->sprite_sheet[65 * 128], 0x0a);
  EXPECT_EQ(cartridge->sprite_sheet[65 * 128 + 1], 0x05);
  EXPECT_EQ(cartridge->map[32 * 128 + 64], 0x5a);
  write_cartridge_byte(*cartridge, 0x3101, 0x85);
  EXPECT_EQ(cartridge->music[0].tracks[1], 5);
  EXPECT_EQ(cartridge->music[0].flags, 2);
}

TEST(CartridgeBytes, AddressesOutsideTheImageAreIgnored) {
  auto cartridge = create_cartridge();
  auto before = *cartridge;
  write_cartridge_byte(*cartridge, 0x4300, 0xff);
  write_cartridge_byte(*cartridge, 0xffffffff, 0xff);
  EXPECT_EQ(*cartridge, before);
  EXPECT_EQ(read_cartridge_byte(*cartridge, 0x4300), 0);
}

TEST(CartridgeBytes, RandomImagesRoundTripThroughTheRecord) {
  std::mt19937 random(11);
  std::vector<uint8_t> rom(kRomByteCount), back(kRomByteCount);
  for (int round = 0; round < 20; ++round) {
    for (uint8_t& byte : rom) byte = test::random_byte(random);
    auto cartridge = create_cartridge();
    copy_rom_to_cartridge(rom.data(), *cartridge);
    copy_cartridge_to_rom(*cartridge, back.data());
    ASSERT_EQ(back, rom);
  }
}

TEST(CartridgeBytes, SharedRegionIsTakenFromTheMapWhenTheMapHoldsData) {
  auto from_sprites = create_cartridge();
  from_sprites->sprite_sheet[64 * 128 + 2] = 7;
  from_sprites->sprite_sheet[64 * 128 + 3] = 3;
  reconcile_shared_region(*from_sprites);
  EXPECT_EQ(from_sprites->map[32 * 128 + 1], 0x37);

  auto from_map = create_cartridge();
  from_map->sprite_sheet[64 * 128 + 2] = 7;
  from_map->map[63 * 128 + 127] = 0x12;
  reconcile_shared_region(*from_map);
  EXPECT_EQ(from_map->sprite_sheet[64 * 128 + 2], 0);
  EXPECT_EQ(from_map->sprite_sheet[127 * 128 + 126], 2);
  EXPECT_EQ(from_map->sprite_sheet[127 * 128 + 127], 1);
  EXPECT_EQ(from_map->map[63 * 128 + 127], 0x12);
}

bool is_lowercase_hex(const std::string& text) {
  return text.size() == 40 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

TEST(CartridgeHash, FollowsTheImageAndTheCodeOnly) {
  EXPECT_EQ(cartridge_hash(nullptr), std::string(40, '0'));
  auto cartridge = create_cartridge();
  std::string new_hash = cartridge_hash(cartridge.get());
  EXPECT_TRUE(is_lowercase_hex(new_hash)) << new_hash;
  EXPECT_NE(new_hash, std::string(40, '0'));

  // Parts outside the 32 KB image do not change it.
  ensure_label(*cartridge);
  cartridge->label[5] = 9;
  cartridge->version = 7;
  cartridge->change_mask[3] = 0;
  cartridge->meta_sections.push_back({"__meta:a", "b\n"});
  EXPECT_EQ(cartridge_hash(cartridge.get()), new_hash);

  auto with_code = create_cartridge();
  with_code->code = "print(1)";
  std::string code_hash = cartridge_hash(with_code.get());
  EXPECT_NE(code_hash, new_hash);
  with_code->code = "print(2)";
  EXPECT_NE(cartridge_hash(with_code.get()), code_hash);

  auto with_sound = create_cartridge();
  with_sound->sound_effects[63].loop_end = 1;
  EXPECT_NE(cartridge_hash(with_sound.get()), new_hash);

  // Code of any size hashes (the image holds only the code's hash).
  std::mt19937 random(1);
  auto huge = create_cartridge();
  huge->code = test::random_code(random, kMaxCartridgeCodeLength);
  EXPECT_TRUE(is_lowercase_hex(cartridge_hash(huge.get())));
}

struct TabCase {
  std::string code;
  std::vector<std::string> first_tabs;
  std::string merged;
};

TEST(CodeTabs, SplitAtSeparatorsAndMergeDropsTrailingEmptyTabs) {
  std::string seventeen;
  for (int i = 0; i < 17; ++i) seventeen += (i ? "\n-->8\n" : "") + std::to_string(i);
  const TabCase cases[] = {
      {"", {""}, ""},
      {"a", {"a", ""}, "a"},
      {"a\n-->8\nb", {"a", "b", ""}, "a\n-->8\nb"},
      {"a\n-->8\n", {"a", ""}, "a"},
      {"\n-->8\nb", {"", "b"}, "\n-->8\nb"},
      {"a\n-->8\n\n-->8\nc", {"a", "", "c"}, "a\n-->8\n\n-->8\nc"},
      {"a-->8\nb", {"a-->8\nb"}, "a-->8\nb"},
      {seventeen, {"0", "1"}, seventeen},
  };
  for (const TabCase& tab_case : cases) {
    std::vector<std::string> tabs = split_code_tabs(tab_case.code);
    ASSERT_EQ(tabs.size(), static_cast<std::size_t>(kCodeTabCount));
    for (std::size_t i = 0; i < tab_case.first_tabs.size(); ++i) EXPECT_EQ(tabs[i], tab_case.first_tabs[i]) << tab_case.code;
    EXPECT_EQ(merge_code_tabs(tabs), tab_case.merged) << tab_case.code;
  }
  EXPECT_EQ(split_code_tabs(seventeen)[15], "15\n-->8\n16");
  EXPECT_EQ(merge_code_tabs(split_code_tabs("a"), 2), "a\n-->8\n\n-->8\n");
}

}  // namespace
}  // namespace tamori::cart
