// The 32 KB ROM image and ROM files: the code-area limit, short files taken
// for code alone, code-only and clipboard saves, and hostile files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "cart/cartridge_bytes.h"
#include "cart/code_compress.h"
#include "cart/rom_file.h"
#include "cart/rom_image.h"
#include "cartridge_test_support.h"
#include "host/files.h"

namespace tamori::cart {
namespace {

// Printable text that does not compress: it is stored as it is, so its
// stored size is its length.
std::string incompressible_code(std::size_t length, uint32_t seed) {
  std::mt19937 random(seed);
  std::string code;
  for (std::size_t i = 0; i < length; ++i) code += static_cast<char>(33 + random() % 94);
  return code;
}

TEST(RomImage, CodeAreaTakesExactly15616StoredBytes) {
  auto cartridge = create_cartridge();
  std::vector<uint8_t> image(kRomImageSize);

  cartridge->code = incompressible_code(15616, 1);
  ASSERT_EQ(compress_code(cartridge->code).size(), 15616u);
  RomBuildResult fits = build_rom_image(*cartridge, image.data(), true);
  EXPECT_EQ(fits.status, RomBuildStatus::built);
  EXPECT_EQ(fits.compressed_length, 15616u);
  auto read_back = create_cartridge();
  read_rom_image(image.data(), *read_back);
  EXPECT_EQ(read_back->code, cartridge->code);  // a full area has no terminator

  cartridge->code = incompressible_code(15617, 2);
  ASSERT_EQ(compress_code(cartridge->code).size(), 15617u);
  RomBuildResult too_large = build_rom_image(*cartridge, image.data(), true);
  EXPECT_EQ(too_large.status, RomBuildStatus::code_too_large);
  EXPECT_EQ(too_large.compressed_length, 15617u);
  for (std::size_t i = kRomCodeStart; i < kRomImageSize; ++i) ASSERT_EQ(image[i], 0) << i;
}

TEST(RomImage, IncludeLinesFailOnlyWhenFlattening) {
  auto cartridge = create_cartridge();
  cartridge->code = "x=1\n  #include other.lua\n";
  std::vector<uint8_t> image(kRomImageSize);
  EXPECT_EQ(build_rom_image(*cartridge, image.data(), true).status, RomBuildStatus::flatten_failed);
  EXPECT_EQ(build_rom_image(*cartridge, image.data(), false).status, RomBuildStatus::built);
}

TEST(RomImage, RandomRecordsSurviveBuildAndRead) {
  std::mt19937 random(7);
  for (int round = 0; round < 30; ++round) {
    auto cartridge = test::random_cartridge(random);
    for (char& byte : cartridge->code)
      if (byte == 0) byte = 'z';  // plain code ends at its first zero byte
    std::vector<uint8_t> image(kRomImageSize);
    ASSERT_EQ(build_rom_image(*cartridge, image.data(), false).status, RomBuildStatus::built);
    auto read_back = create_cartridge();
    read_rom_image(image.data(), *read_back);
    EXPECT_EQ(read_back->code, cartridge->code) << round;
    for (uint32_t address = 0; address < kRomByteCount; ++address)
      ASSERT_EQ(read_cartridge_byte(*read_back, address), read_cartridge_byte(*cartridge, address)) << round << " " << address;
  }
}

TEST(RomFile, ShortFilesAreCodeAlone) {
  std::string plain = incompressible_code(100, 3);
  std::vector<uint8_t> plain_file(plain.begin(), plain.end());
  std::string program = "function _draw()\n cls() print('hello hello hello hello hello') end\n" + std::string(200, '-');
  std::vector<uint8_t> compressed_file = compress_code(program);
  ASSERT_LT(compressed_file.size(), program.size());

  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    std::string code;
  } cases[] = {
      {"100 plain bytes", plain_file, plain},
      {"compressed code", compressed_file, program},
      {"empty file", {}, ""},
      {"text with a zero byte", {'a', 'b', 0, 'c'}, "ab"},
  };
  for (const Case& test_case : cases) {
    std::unique_ptr<Cartridge> cartridge = read_rom_cartridge(test_case.file);
    ASSERT_TRUE(cartridge) << test_case.name;
    EXPECT_EQ(cartridge->code, test_case.code) << test_case.name;
    EXPECT_EQ(cartridge->version, kCurrentCartridgeVersion);
    for (uint32_t address = 0; address < kRomByteCount; ++address)
      ASSERT_EQ(read_cartridge_byte(*cartridge, address), 0) << test_case.name << " " << address;
  }
}

TEST(RomFile, FullAndCodeOnlySavesLoadBack) {
  test::TemporaryFolder folder("rom_file");
  std::mt19937 random(11);
  auto cartridge = test::random_cartridge(random);
  cartridge->code = "-- a game\nfunction _update() x+=1 end\n" + std::string(300, 'y');
  test::PrintRecordingHost recorder;

  ASSERT_EQ(save_rom_file(*cartridge, folder.file("full.tm.rom"), false, recorder.host), 0);
  std::optional<std::vector<uint8_t>> full = host::read_file(folder.file("full.tm.rom"));
  ASSERT_TRUE(full);
  EXPECT_EQ(full->size(), kRomImageSize);
  std::unique_ptr<Cartridge> loaded = load_rom_file(folder.file("full.tm.rom"));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->code, cartridge->code);
  for (uint32_t address = 0; address < kRomByteCount; ++address)
    ASSERT_EQ(read_cartridge_byte(*loaded, address), read_cartridge_byte(*cartridge, address)) << address;

  // Bytes after the image are ignored.
  full->resize(100000, 0x5a);
  ASSERT_TRUE(host::write_file(folder.file("long.tm.rom"), full->data(), full->size()));
  std::unique_ptr<Cartridge> from_long = load_rom_file(folder.file("long.tm.rom"));
  ASSERT_TRUE(from_long);
  EXPECT_EQ(from_long->code, cartridge->code);
  EXPECT_EQ(from_long->sprite_sheet, loaded->sprite_sheet);

  std::size_t stored_size = compress_code(cartridge->code).size();
  ASSERT_EQ(save_rom_file(*cartridge, folder.file("code.tm.rom"), true, recorder.host), 0);
  std::optional<std::vector<uint8_t>> code_only = host::read_file(folder.file("code.tm.rom"));
  ASSERT_TRUE(code_only);
  EXPECT_EQ(code_only->size(), stored_size);
  loaded = load_rom_file(folder.file("code.tm.rom"));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->code, cartridge->code);

  ASSERT_EQ(recorder.lines.size(), 2u);
  EXPECT_EQ(recorder.lines[0].first, "writing 32768 bytes");
  EXPECT_EQ(recorder.lines[1].first, "writing " + std::to_string(stored_size) + " bytes (code only)");
  EXPECT_FALSE(load_rom_file(folder.file("missing.tm.rom")));
}

TEST(RomFile, FailuresReturnOne) {
  test::TemporaryFolder folder("rom_fail");
  auto cartridge = create_cartridge();
  test::PrintRecordingHost recorder;
  EXPECT_EQ(save_rom_file(*cartridge, folder.file("no/such/folder/x.tm.rom"), false, recorder.host), 1);

  cartridge->code = incompressible_code(20000, 4);
  EXPECT_EQ(save_rom_file(*cartridge, folder.file("big.tm.rom"), false, recorder.host), 1);
  EXPECT_FALSE(host::file_exists(folder.file("big.tm.rom")));
  ASSERT_FALSE(recorder.lines.empty());
  EXPECT_EQ(recorder.lines.back().first, "could not compress code");
  EXPECT_EQ(recorder.lines.back().second, 8);
}

TEST(RomFile, ClipboardGetsTheStoredCodeAsHex) {
  auto cartridge = create_cartridge();
  cartridge->code = incompressible_code(40, 5);
  test::PrintRecordingHost recorder;
  ASSERT_EQ(save_rom_file(*cartridge, "@clip", false, recorder.host), 0);
  std::string expected;
  for (std::size_t i = 0; i < 40; ++i) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(cartridge->code[i]));
    expected += digits;
    if (i == 31) expected += '\n';
  }
  EXPECT_EQ(recorder.clipboard, expected);
  ASSERT_EQ(recorder.lines.size(), 1u);
  EXPECT_EQ(recorder.lines[0].first, "hexdump 40 bytes to clipboard");

  EXPECT_EQ(code_hex_dump({}), "");
  std::string ab_line;
  for (int i = 0; i < 32; ++i) ab_line += "ab";
  std::vector<uint8_t> two_lines(65, 0xab);
  EXPECT_EQ(code_hex_dump(two_lines), ab_line + "\n" + ab_line + "\nab");
}

// Hostile bytes, including code areas that claim a compressed format, give
// some record without reading or writing out of bounds.
TEST(RomFile, RandomAndHostileFilesNeverFail) {
  std::mt19937 random(13);
  const std::size_t sizes[] = {0, 1, 8, 9, 100, 15616, 15617, 20000, 32768, 40000};
  for (int round = 0; round < 200; ++round) {
    std::vector<uint8_t> file(sizes[round % std::size(sizes)]);
    for (uint8_t& byte : file) byte = test::random_byte(random);
    std::size_t code_start = file.size() <= kRomCodeSize ? 0 : kRomCodeStart;
    if (file.size() >= code_start + 8 && round % 2 == 0) {
      const uint8_t* mark = round % 4 == 0 ? kCurrentFormatMark : kOlderFormatMark;
      std::copy(mark, mark + 4, file.begin() + code_start);
    }
    std::unique_ptr<Cartridge> cartridge = read_rom_cartridge(file);
    ASSERT_TRUE(cartridge);
    EXPECT_LE(cartridge->code.size(), kMaxCartridgeCodeLength);
  }
}

// Inputs the fuzzers found: each ROM's record builds an image that reads
// back as the same record.
TEST(RomImage, FuzzRegressionsReadBackTheSame) {
  int checked = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(TAMORI_TEST_DATA_DIR) / "cart/data/fuzz_regressions")) {
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::unique_ptr<Cartridge> first = read_rom_cartridge(bytes);
    ASSERT_TRUE(first);
    std::vector<uint8_t> image(kRomImageSize);
    ASSERT_EQ(build_rom_image(*first, image.data(), false).status, RomBuildStatus::built);
    auto second = create_cartridge();
    read_rom_image(image.data(), *second);
    EXPECT_EQ(second->code, first->code);
    checked++;
  }
  EXPECT_GE(checked, 1);
}

}  // namespace
}  // namespace tamori::cart
