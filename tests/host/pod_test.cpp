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

// The interface images and the sizes their users draw them at.
struct ExpectedImage {
  int number;
  int width;
  int height;
};
constexpr ExpectedImage kInterfaceImages[] = {
    {host::kIconResource, 16, 16},       {host::kCartTemplateResource, 160, 205},
    {host::kTvFrameResource, 144, 136},  {host::kBootCursorResource, 7, 5},
    {188, 8, 8},                         {245, 8, 8},
    {host::kMenuPointerResource, 7, 7},  {host::kControlsPictureResource, 104, 40},
    {host::kMousePointerResource, 6, 8},
    {212, 10, 10}, {213, 10, 10}, {214, 10, 10}, {215, 10, 10}, {216, 10, 10},
    {217, 10, 10}, {218, 10, 10}, {219, 10, 10}, {220, 10, 10}, {221, 10, 10},
};

void expect_interface_images(const host::ConsoleData& data) {
  for (const ExpectedImage& expected : kInterfaceImages) {
    auto found = data.images.find(expected.number);
    ASSERT_NE(found, data.images.end()) << "image " << expected.number;
    EXPECT_EQ(found->second.width, expected.width) << "image " << expected.number;
    EXPECT_EQ(found->second.height, expected.height) << "image " << expected.number;
    EXPECT_EQ(found->second.pixels.size(), size_t(expected.width) * expected.height) << "image " << expected.number;
  }
  EXPECT_EQ(data.cart_template.width, 160);
  EXPECT_EQ(data.tv_frame.width, 144);
  EXPECT_EQ(data.icon.width, 16);
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
  expect_interface_images(*data);
}

// Colour 0 of the icon is see-through: its corners are clear, its middle is not.
TEST(ConsoleDataFile, IconHasClearCornersAndASolidMiddle) {
  std::optional<host::ConsoleData> data = host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
  ASSERT_TRUE(data);
  const host::PodImage& icon = data->icon;
  ASSERT_EQ(icon.pixels.size(), size_t(icon.width) * icon.height);
  ASSERT_GT(icon.width, 1);
  const size_t last = icon.pixels.size() - 1;
  for (size_t corner : {size_t(0), size_t(icon.width - 1), last - size_t(icon.width - 1), last})
    EXPECT_EQ(icon.pixels[corner], 0) << corner;
  EXPECT_NE(icon.pixels[size_t(icon.height / 2) * icon.width + icon.width / 2], 0);
}

// The TV frame adds up to 255 * 205 / 1024 to the colours of its columns 1
// and width - 2; those colours must leave that much room or they wrap round.
TEST(ConsoleDataFile, TvFrameSideColoursLeaveRoomForTheGlow) {
  std::optional<host::ConsoleData> data = host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
  ASSERT_TRUE(data);
  const host::PodImage& frame = data->tv_frame;
  ASSERT_EQ(frame.pixels.size(), size_t(frame.width) * frame.height);
  const int largest_glow = 255 * 205 / 1024;
  for (int band = 0; band < 32; band++) {
    int row = frame.height * band / 32;
    for (int column : {1, frame.width - 2}) {
      const auto& rgb = data->palette[frame.pixels[size_t(row) * frame.width + column]];
      for (int channel = 0; channel < 3; channel++)
        EXPECT_LE(rgb[size_t(channel)] + largest_glow, 255) << "band " << band << " column " << column;
    }
  }
}

// The ten spinner frames are an animation: no frame repeats its predecessor.
TEST(ConsoleDataFile, SpinnerFramesMove) {
  std::optional<host::ConsoleData> data = host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
  ASSERT_TRUE(data);
  for (int number = 212; number <= 221; number++) {
    int previous = number == 212 ? 221 : number - 1;
    ASSERT_TRUE(data->images.count(number) && data->images.count(previous)) << number;
    EXPECT_NE(data->images.at(number).pixels, data->images.at(previous).pixels) << number;
  }
}

TEST(ConsoleDataFile, BuiltDataFileBesideTheProgramLoads) {
  std::optional<host::ConsoleData> data = host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->title, "TAMORI");
  expect_interface_images(*data);
  EXPECT_FALSE(host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/no-such-file.pod"));
}

}  // namespace
}  // namespace tamori
