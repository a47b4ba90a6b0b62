// The share address: its base64 alphabet, the run-length sprite coding and
// the length limit.
#include <gtest/gtest.h>

#include <random>

#include "cart/code_compress.h"
#include "cart/share_address.h"
#include "cartridge_test_support.h"

namespace tamori::cart {
namespace {

TEST(ShareAddress, Base64UsesItsOwnAlphabetAndPadding) {
  struct Case {
    std::vector<uint8_t> bytes;
    std::string text;
  } cases[] = {
      {{}, ""},
      {{'f'}, "Zg=="},
      {{'f', 'o'}, "Zm8="},
      {{'f', 'o', 'o'}, "Zm9v"},
      {{'f', 'o', 'o', 'b'}, "Zm9vYg=="},
      {{0xfb, 0xff}, "_-8="},
      {{0xff, 0xff, 0xff}, "----"},
      {{0xfb, 0xef, 0xbe}, "____"},
      {{0x00, 0x00, 0x00}, "AAAA"},
  };
  for (const Case& test_case : cases) EXPECT_EQ(share_base64(test_case.bytes), test_case.text) << test_case.text;
}

TEST(ShareAddress, SpriteRunsUpToTheLastNonZeroPixel) {
  struct Run {
    int colour;
    int length;
  };
  struct Case {
    const char* name;
    std::vector<Run> runs;  // laid out from pixel 0
    std::string text;
  } cases[] = {
      {"empty sheet", {}, ""},
      {"one pixel", {{5, 1}}, "F"},
      {"two pixels", {{1, 2}}, "R"},
      {"three pixels", {{2, 3}}, "i"},
      {"four zeros then one", {{0, 4}, {1, 1}}, "wAB"},
      {"longest run", {{3, 67}}, "z-"},
      {"a run split at 67", {{3, 68}}, "z-D"},
      {"the top colours", {{15, 3}, {14, 70}}, "v_-u"},
  };
  for (const Case& test_case : cases) {
    auto cartridge = create_cartridge();
    std::size_t pixel = 0;
    for (const Run& run : test_case.runs)
      for (int i = 0; i < run.length; ++i) cartridge->sprite_sheet[pixel++] = static_cast<uint8_t>(run.colour);
    EXPECT_EQ(sprite_run_text(*cartridge), test_case.text) << test_case.name;
  }
  auto last_pixel = create_cartridge();
  last_pixel->sprite_sheet.back() = 1;
  std::string text = sprite_run_text(*last_pixel);
  EXPECT_EQ(text.size(), 2 * (16383 / 67) + 2 + 1);
  EXPECT_EQ(text.back(), 'B');
}

TEST(ShareAddress, AddressCarriesCodeAndSprites) {
  auto cartridge = create_cartridge();
  std::vector<uint8_t> stored = {'f', 'o', 'o'};
  EXPECT_EQ(compose_share_address(*cartridge, stored), std::string(kShareBaseAddress) + "?c=Zm9v");
  cartridge->sprite_sheet[1] = 2;
  EXPECT_EQ(compose_share_address(*cartridge, stored), std::string(kShareBaseAddress) + "?c=Zm9v&g=AC");
}

TEST(ShareAddress, ShortAddressesGoToTheClipboard) {
  auto cartridge = create_cartridge();
  cartridge->code = "print('hi')";
  test::PrintRecordingHost recorder;
  int lock_depth = 0, locks = 0;
  recorder.host.lock_audio = [&] { ++lock_depth, ++locks; };
  recorder.host.unlock_audio = [&] { --lock_depth; };
  EXPECT_EQ(share_cartridge(*cartridge, recorder.host), 0);
  EXPECT_EQ(locks, 1);
  EXPECT_EQ(lock_depth, 0);
  std::string expected = std::string(kShareBaseAddress) + "?c=" + share_base64(compress_code(cartridge->code));
  EXPECT_EQ(recorder.clipboard, expected);
  ASSERT_EQ(recorder.lines.size(), 2u);
  EXPECT_EQ(recorder.lines[0].first, "copied url to clipboard");
  EXPECT_EQ(recorder.lines[1].first, std::to_string(expected.size()) + " / 2040 chars");
}

TEST(ShareAddress, LongAddressesAndUnstorableCodeAreRefused) {
  std::mt19937 random(3);
  auto cartridge = create_cartridge();
  for (int i = 0; i < 1600; ++i) cartridge->code += static_cast<char>(33 + random() % 94);
  test::PrintRecordingHost recorder;
  EXPECT_EQ(share_cartridge(*cartridge, recorder.host), 1);
  EXPECT_TRUE(recorder.clipboard.empty());
  ASSERT_EQ(recorder.lines.size(), 2u);
  EXPECT_EQ(recorder.lines[0], std::make_pair(std::string("** failed: url is too long"), 9));
  EXPECT_NE(recorder.lines[1].first.find(" / 2040 chars"), std::string::npos);

  cartridge->code = "#include more.lua";
  recorder.lines.clear();
  EXPECT_EQ(share_cartridge(*cartridge, recorder.host), 1);
  ASSERT_EQ(recorder.lines.size(), 1u);
  EXPECT_EQ(recorder.lines[0], std::make_pair(std::string("could not compress code"), 8));
}

TEST(ShareAddress, CodeAndSpritesReadBackFromTheirTwoParts) {
  auto cartridge = create_cartridge();
  cartridge->code = "function _draw() cls(1) spr(1, 60, 60) end -- shared";
  for (std::size_t i = 0; i < 3000; i++) cartridge->sprite_sheet[i] = uint8_t((i * 7 / 5) % 16);
  std::fill_n(cartridge->sprite_sheet.begin() + 3000, 500, uint8_t(9));  // long runs
  const std::vector<uint8_t> stored = compress_code(cartridge->code);
  std::unique_ptr<Cartridge> read = read_share_data(share_base64(stored), sprite_run_text(*cartridge));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->code, cartridge->code);
  EXPECT_EQ(read->sprite_sheet, cartridge->sprite_sheet);
  for (const std::string bytes : {"", "a", "ab", "abc"}) {
    std::vector<uint8_t> raw(bytes.begin(), bytes.end());
    EXPECT_EQ(read_share_base64(share_base64(raw)), raw);
  }
  // Characters outside the alphabet, a lone last character, a long run cut
  // short: refused.
  EXPECT_FALSE(read_share_data("Zm9v!", ""));
  EXPECT_FALSE(read_share_base64("Zm9vA"));
  EXPECT_FALSE(read_share_data("", "w"));
  EXPECT_TRUE(read_share_data("", "AC"));
}

}  // namespace
}  // namespace tamori::cart
