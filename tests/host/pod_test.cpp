#include "host/pod.h"

#include <gtest/gtest.h>

#include <random>

#include "asset_sources.h"
#include "host/console_data.h"
#include "host/files.h"

namespace tamori {
namespace {

host::Pod sample_pod() {
  host::Pod inner;
  host::pod_put(inner, 1, "palette", std::vector<uint8_t>(768, 7));
  host::Pod pod;
  host::pod_put(pod, 0, "boot.tm", {'a', 'b'});
  host::pod_put(pod, 1, "resources", host::pod_encode(inner));
  host::pod_put(pod, 9, "", {});
  return pod;
}

TEST(DataFileContainer, RoundTripsItemsAndNestedContainers) {
  std::vector<uint8_t> bytes = host::pod_encode(sample_pod());
  std::optional<host::Pod> pod = host::pod_decode(bytes);
  ASSERT_TRUE(pod);
  ASSERT_EQ(pod->items.size(), 3u);
  EXPECT_EQ(pod->items[0].name, "boot.tm");
  EXPECT_EQ(pod->items[0].data, (std::vector<uint8_t>{'a', 'b'}));
  EXPECT_EQ(pod->items[2].number, 9);
  std::optional<host::Pod> inner = host::pod_decode(host::pod_find(*pod, 1)->data);
  ASSERT_TRUE(inner);
  EXPECT_EQ(host::pod_find(*inner, 1)->data.size(), 768u);
  EXPECT_EQ(host::pod_find(*pod, 5), nullptr);
}

TEST(DataFileContainer, EveryTruncationIsRefused) {
  std::vector<uint8_t> bytes = host::pod_encode(sample_pod());
  for (size_t length = 0; length < bytes.size(); length++)
    EXPECT_FALSE(host::pod_decode(bytes.data(), length)) << "length " << length;
}

TEST(DataFileContainer, CorruptedBytesNeverCrash) {
  std::vector<uint8_t> original = host::pod_encode(sample_pod());
  std::mt19937 random(99);
  for (int round = 0; round < 2000; round++) {
    std::vector<uint8_t> bytes = original;
    for (int flips = 1 + int(random() % 4); flips > 0; flips--) bytes[random() % bytes.size()] = uint8_t(random());
    std::optional<host::Pod> pod = host::pod_decode(bytes);
    if (pod) host::console_data_from_pod(*pod);  // must not crash either
  }
}

TEST(DataFileImages, RoundTripAndRejectWrongSizes) {
  host::PodImage image{3, 2, {1, 2, 3, 4, 5, 6}};
  std::vector<uint8_t> bytes = host::pod_image_encode(image);
  std::optional<host::PodImage> back = host::pod_image_decode(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 3);
  EXPECT_EQ(back->pixels, image.pixels);
  bytes.pop_back();
  EXPECT_FALSE(host::pod_image_decode(bytes));
}

TEST(AssetSources, ImageRowsMustMatchTheirWidth) {
  std::vector<tools::AssetError> errors;
  EXPECT_TRUE(tools::parse_image("size 2 2\n0a\ngv\n", errors, "ok.txt"));
  EXPECT_FALSE(tools::parse_image("size 3 2\n0a\n12\n", errors, "bad.txt"));
  EXPECT_FALSE(tools::parse_image("size 2 1\n0z\n", errors, "bad.txt"));
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].line, 2);
  auto image = tools::parse_image("# comment\nsize 2 1\n.v\n", errors, "ok.txt");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels, (std::vector<uint8_t>{0, 143}));
}

TEST(AssetSources, FontGlyphsHaveTheirCellSizes) {
  std::vector<tools::AssetError> errors;
  auto font = tools::parse_font("glyph 65 A\n#.#.\n....\n....\n....\n....\n....\n", errors, "font.txt");
  ASSERT_TRUE(font);
  EXPECT_EQ(font->items.size(), 256u);
  auto glyph = host::pod_image_decode(host::pod_find(*font, 65)->data);
  ASSERT_TRUE(glyph);
  EXPECT_EQ(glyph->width, 4);
  EXPECT_EQ(glyph->pixels[0], 1);
  EXPECT_EQ(glyph->pixels[1], 0);
  auto wide = host::pod_image_decode(host::pod_find(*font, 200)->data);
  EXPECT_EQ(wide->width, 8);
  EXPECT_FALSE(tools::parse_font("glyph 130\n####\n", errors, "font.txt"));
}

TEST(AssetSources, PaletteLines) {
  std::vector<tools::AssetError> errors;
  auto palette = tools::parse_palette("# c\n7 #ff8000\n143 #010203\n", errors, "palette.txt");
  ASSERT_TRUE(palette);
  EXPECT_EQ((*palette)[21], 0xff);
  EXPECT_EQ((*palette)[22], 0x80);
  EXPECT_EQ((*palette)[143 * 3 + 2], 3);
  EXPECT_FALSE(tools::parse_palette("300 #000000\n", errors, "palette.txt"));
}

// The shipped assets go through the tool and come back as console data.
TEST(ConsoleDataFile, ShippedAssetsRoundTripThroughTheTool) {
  tools::AssetResult result = tools::build_console_pod(std::string(TAMORI_TEST_DATA_DIR) + "/../assets");
  for (const auto& error : result.errors) ADD_FAILURE() << error.file << ":" << error.line << ": " << error.message;
  ASSERT_TRUE(result.pod);
  std::vector<uint8_t> bytes = host::pod_encode(*result.pod);
  std::optional<host::Pod> pod = host::pod_decode(bytes);
  ASSERT_TRUE(pod);
  std::optional<host::ConsoleData> data = host::console_data_from_pod(*pod);
  ASSERT_TRUE(data);
  EXPECT_EQ(data->title, "TAMORI");
  EXPECT_NE(data->boot_cart_text.find("__sfx__"), std::string::npos);
  // Colour 0 is black and colour 7 is light: the console's text relies on both.
  EXPECT_EQ(data->palette[0], (std::array<uint8_t, 3>{0, 0, 0}));
  EXPECT_GT(data->palette[7][0] + data->palette[7][1] + data->palette[7][2], 500);
  for (int code = 0; code < 256; code++) EXPECT_EQ(data->font[size_t(code)].width, code < 128 ? 4 : 8);
  // Letters have ink.
  int ink = 0;
  for (uint8_t pixel : data->font['a'].pixels) ink += pixel;
  EXPECT_GT(ink, 3);
}

TEST(ConsoleDataFile, BuiltDataFileBesideTheProgramLoads) {
  std::optional<host::ConsoleData> data = host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->title, "TAMORI");
  EXPECT_FALSE(host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/no-such-file.pod"));
}

}  // namespace
}  // namespace tamori
