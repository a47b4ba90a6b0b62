// Loading in any format: names tried, source files, format dispatch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cart/cartridge_loader.h"
#include "cart/lua_source.h"
#include "cart/text_writer.h"
#include "cartridge_test_support.h"
#include "host/files.h"

namespace tamori::cart {
namespace {

struct NameCase {
  std::string name;
  std::vector<std::string> candidates;
};

TEST(CartridgeLoader, NamesTriedForACartridge) {
  const NameCase cases[] = {
      {"game", {"game", "game.tm", "game.tm.png", "game.png"}},
      {"game.tm", {"game.tm", "game.tm.png"}},
      {"pic.png", {"pic.png", "pic.tm.png", "pic.tm.png.png", "pic.png.png"}},
      {"dump.rom", {"dump.rom", "dump.tm.rom", "dump.tm.rom.png", "dump.rom.png"}},
      {"a.tm.png", {"a.tm.png", "a.tm.png.png"}},
      {"dir.tm/x", {"dir.tm/x", "dir.tm/x.png"}},
      {"", {"", ".tm", ".tm.png", ".png"}},
  };
  for (const NameCase& name : cases) EXPECT_EQ(cartridge_name_candidates(name.name), name.candidates) << name.name;
}

TEST(CartridgeLoader, TargetFormatFollowsTheNameEnding) {
  EXPECT_EQ(file_format_for_name("a.tm.png"), CartridgeFileFormat::picture);
  EXPECT_EQ(file_format_for_name("a.tm.rom"), CartridgeFileFormat::rom);
  EXPECT_EQ(file_format_for_name("a.png.tm"), CartridgeFileFormat::text);
  EXPECT_EQ(file_format_for_name("a.tm"), CartridgeFileFormat::text);
}

struct SourceCase {
  const char* name;
  std::vector<uint8_t> bytes;
  std::string code;
};

std::vector<uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

TEST(LuaSource, ByteOrderMarkChoosesTheCodeUnitWidth) {
  const SourceCase cases[] = {
      {"plain", bytes_of("x=1\r\ny=2"), "x=1\ny=2\n"},
      {"utf-8 mark and glyphs", bytes_of("\xef\xbb\xbf-- ⬇️█"), "-- \x83\x80\n"},
      {"utf-16 le", {0xff, 0xfe, 'a', 0, 0x3a, 0x26, '\r', 0, '\n', 0, 'b', 0}, "a\\x263a\nb\n"},
      {"utf-16 be", {0xfe, 0xff, 0, 'a', 0x26, 0x3a, 0, 0xe9}, "a\\x263a\xe9\n"},
      {"utf-32 le", {0xff, 0xfe, 0, 0, 'q', 0, 0, 0, 0x00, 0xf6, 0x01, 0x00}, "q\\x0001f600\n"},
      {"utf-32 be", {0, 0, 0xfe, 0xff, 0, 0, 0, 'z', 0, 0, 1, 0}, "z\\x00000100\n"},
      {"odd byte after utf-16", {0xff, 0xfe, 'a', 0, 'b'}, "a\n"},
      {"empty", {}, "\n"},
  };
  for (const SourceCase& source : cases) EXPECT_EQ(source_bytes_to_code(source.bytes), source.code) << source.name;
}

TEST(LuaSource, LongSourceIsCutBeforeItsLineEnd) {
  std::string code = source_bytes_to_code(bytes_of(std::string(100000, 'k')));
  EXPECT_EQ(code.size(), kMaxSourceCodeLength + 1);
  EXPECT_EQ(code.back(), '\n');
}

TEST(CartridgeLoader, EachFormatIsTriedInTurn) {
  test::TemporaryFolder folder("loader");
  auto text_cartridge = create_cartridge();
  text_cartridge->code = "-- text";
  ASSERT_EQ(save_cartridge_text(*text_cartridge, folder.file("game.tm")), 0);
  ASSERT_TRUE(host::write_file(folder.file("prog.lua"), "-- source"));
  ASSERT_TRUE(host::write_file(folder.file("notes.txt"), "-- not a cartridge"));
  ASSERT_TRUE(host::write_file(folder.file("new.tm"), "tamori cartridge\nversion 44\n__lua__\nx\n"));
  ASSERT_TRUE(host::write_file(folder.file("code.rom"), "-- code"));
  ASSERT_TRUE(host::write_file(folder.file("header.lua"), "tamori cartridge\nversion 43\n__lua__\nfrom text\n"));

  CartridgeLoadResult text = load_cartridge_any_format(folder.file("game.tm"));
  ASSERT_TRUE(text.cartridge);
  EXPECT_EQ(text.cartridge->code, "-- text");

  CartridgeLoadResult source = load_cartridge_any_format(folder.file("prog.lua"));
  ASSERT_TRUE(source.cartridge);
  EXPECT_EQ(source.status, TextLoadStatus::loaded);
  EXPECT_EQ(source.cartridge->code, "-- source\n");
  EXPECT_EQ(source.cartridge->version, kCurrentCartridgeVersion);

  CartridgeLoadResult header = load_cartridge_any_format(folder.file("header.lua"));
  ASSERT_TRUE(header.cartridge);
  EXPECT_EQ(header.cartridge->code, "from text");

  CartridgeLoadResult future = load_cartridge_any_format(folder.file("new.tm"));
  EXPECT_FALSE(future.cartridge);
  EXPECT_EQ(future.status, TextLoadStatus::future_version);
  EXPECT_TRUE(load_cartridge_any_format(folder.file("new.tm"), {true}).cartridge);

  // A short ROM file is code alone.
  CartridgeLoadResult rom = load_cartridge_any_format(folder.file("code.rom"));
  ASSERT_TRUE(rom.cartridge);
  EXPECT_EQ(rom.status, TextLoadStatus::loaded);
  EXPECT_EQ(rom.cartridge->code, "-- code");

  for (const char* name : {"notes.txt", "missing.tm", "missing.rom", "missing.lua"}) {
    CartridgeLoadResult none = load_cartridge_any_format(folder.file(name));
    EXPECT_FALSE(none.cartridge) << name;
    EXPECT_EQ(none.status, TextLoadStatus::not_a_cartridge) << name;
  }
}

}  // namespace
}  // namespace tamori::cart
