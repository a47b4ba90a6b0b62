// PNG cartridges: records and labels survive a save and load, every load
// status, the hash field, the visible picture, and corrupted files.
#include <gtest/gtest.h>
#include <lodepng.h>

#include <filesystem>
#include <random>
#include <set>

#include "cart/binary_formats.h"
#include "cart/cartridge_bytes.h"
#include "cart/cartridge_picture.h"
#include "cart/code_compress.h"
#include "cart/picture_cartridge.h"
#include "cart/picture_payload.h"
#include "cart/text_reader.h"
#include "cartridge_test_support.h"
#include "host/files.h"
#include "host/sha1.h"

namespace tamori::cart {
namespace {

const host::ConsoleData* console_data() {
  static const std::optional<host::ConsoleData> data =
      host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
  return data ? &*data : nullptr;
}

struct RecordingHost {
  std::vector<std::pair<std::string, int>> lines;
  std::vector<std::pair<std::string, int>> messages;
  CartridgeHost host;

  explicit RecordingHost(const host::ConsoleData* data = nullptr) {
    host.console_data = data;
    host.print = [this](const std::string& text, int colour) { lines.emplace_back(text, colour); };
    host.show_message = [this](const std::string& text, int milliseconds) { messages.emplace_back(text, milliseconds); };
  }
};

std::vector<uint8_t> encode(const Cartridge& cartridge, const host::ConsoleData* data = nullptr) {
  std::vector<uint8_t> png;
  EXPECT_EQ(encode_picture_cartridge(cartridge, data, &png), PictureSaveStatus::saved);
  return png;
}

std::vector<uint8_t> decode_rgba(const std::vector<uint8_t>& png) {
  std::vector<uint8_t> rgba;
  unsigned width = 0, height = 0;
  EXPECT_EQ(lodepng::decode(rgba, width, height, png), 0u);
  EXPECT_EQ(width, unsigned(kPictureWidth));
  EXPECT_EQ(height, unsigned(kPictureHeight));
  return rgba;
}

std::vector<uint8_t> encode_rgba(const std::vector<uint8_t>& rgba, unsigned width, unsigned height) {
  std::vector<uint8_t> png;
  EXPECT_EQ(lodepng::encode(png, rgba, width, height), 0u);
  return png;
}

// What a picture gives back for a record: its ROM bytes and code, the
// current version, a full change mask, no meta sections, and the label as
// the picture shows it (the template's region when the record has none).
void expect_same_after_picture(const Cartridge& original, const Cartridge& loaded, const host::ConsoleData* data,
                               const std::string& what) {
  EXPECT_EQ(loaded.code, original.code) << what;
  for (uint32_t address = 0; address < kRomByteCount; ++address)
    ASSERT_EQ(read_cartridge_byte(loaded, address), read_cartridge_byte(original, address)) << what << " " << address;
  EXPECT_EQ(loaded.sprite_sheet, original.sprite_sheet) << what;
  EXPECT_EQ(loaded.map, original.map) << what;
  EXPECT_EQ(loaded.sound_effects, original.sound_effects) << what;
  EXPECT_EQ(loaded.music, original.music) << what;
  EXPECT_EQ(loaded.version, kCurrentCartridgeVersion) << what;
  EXPECT_EQ(loaded.change_mask, create_cartridge()->change_mask) << what;
  EXPECT_TRUE(loaded.meta_sections.empty()) << what;
  if (!original.label.empty()) {
    EXPECT_EQ(loaded.label, original.label) << what;
  } else {
    auto unlabelled = create_cartridge();
    std::vector<uint8_t> picture = compose_cartridge_picture(*unlabelled, data);
    EXPECT_EQ(loaded.label, label_from_picture(picture.data(), data)) << what;
  }
}

TEST(PictureCartridge, RandomRecordsSurviveSaveAndLoad) {
  std::mt19937 random(21);
  for (const host::ConsoleData* data : {static_cast<const host::ConsoleData*>(nullptr), console_data()}) {
    RecordingHost recorder(data);
    for (int round = 0; round < 12; ++round) {
      auto cartridge = test::random_cartridge(random);
      for (char& byte : cartridge->code)
        if (byte == 0) byte = 'z';  // plain code ends at its first zero byte
      PictureLoadResult loaded = read_picture_cartridge(encode(*cartridge, data), recorder.host);
      ASSERT_EQ(loaded.status, PictureLoadStatus::loaded);
      expect_same_after_picture(*cartridge, *loaded.cartridge, data, "round " + std::to_string(round));
    }
  }
}

TEST(PictureCartridge, RealCartridgesSurviveSaveAndLoad) {
  ASSERT_NE(console_data(), nullptr);
  test::TemporaryFolder folder("picture_real");
  RecordingHost recorder(console_data());
  int saved = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(TAMORI_SHARED_DIR) + "/carts")) {
    if (entry.path().extension() != ".tm") continue;
    TextLoadResult text = load_cartridge_text(entry.path().string());
    ASSERT_TRUE(text.cartridge) << entry.path();
    reconcile_shared_region(*text.cartridge);
    std::string target = folder.file(entry.path().stem().string() + ".tm.png");
    int status = save_picture_cartridge(*text.cartridge, target, recorder.host);
    if (status == 2) continue;  // code too large for any binary form
    ASSERT_EQ(status, 0) << entry.path();
    BinaryLoadResult loaded = load_picture_cartridge(target, recorder.host);
    ASSERT_TRUE(loaded.cartridge) << entry.path();
    expect_same_after_picture(*text.cartridge, *loaded.cartridge, console_data(), entry.path().string());
    ++saved;
  }
  EXPECT_GE(saved, 30);
}

TEST(PictureCartridge, LoadStatusesOfForeignFiles) {
  test::TemporaryFolder folder("picture_status");
  RecordingHost recorder;
  ASSERT_TRUE(host::write_file(folder.file("text.png"), "tamori cartridge\nversion 43\n"));
  std::vector<uint8_t> short_picture(std::size_t(kPictureWidth) * (kPictureHeight - 1) * 4, 0xff);
  std::vector<uint8_t> png = encode_rgba(short_picture, kPictureWidth, kPictureHeight - 1);
  ASSERT_TRUE(host::write_file(folder.file("short.png"), png.data(), png.size()));

  struct Case {
    std::string path;
    PictureLoadStatus status;
  } cases[] = {
      {folder.file("text.png"), PictureLoadStatus::not_a_picture},
      {folder.file("missing.png"), PictureLoadStatus::no_file},
      {folder.file("short.png"), PictureLoadStatus::wrong_size},
      {folder.path.string(), PictureLoadStatus::no_file},
  };
  for (const Case& test_case : cases) {
    PictureLoadResult result = load_picture_file(test_case.path, recorder.host);
    EXPECT_EQ(result.status, test_case.status) << test_case.path;
    EXPECT_FALSE(result.cartridge) << test_case.path;
  }
}

// Rewrites the payload of a saved picture, keeping its visible side.
std::vector<uint8_t> with_payload(const std::vector<uint8_t>& png, const PicturePayload& payload) {
  std::vector<uint8_t> rgba = decode_rgba(png);
  hide_payload(payload, rgba.data());
  return encode_rgba(rgba, kPictureWidth, kPictureHeight);
}

TEST(PictureCartridge, FutureVersionsAreRefusedUnlessAccepted) {
  auto cartridge = create_cartridge();
  cartridge->code = "print('from the future')";
  std::vector<uint8_t> png = encode(*cartridge);
  PicturePayload payload = extract_payload(decode_rgba(png).data());
  payload[kPayloadVersionOffset] = 44;
  std::vector<uint8_t> future = with_payload(png, payload);

  RecordingHost refusing;
  PictureLoadResult refused = read_picture_cartridge(future, refusing.host);
  EXPECT_EQ(refused.status, PictureLoadStatus::future_version);
  EXPECT_FALSE(refused.cartridge);
  ASSERT_EQ(refusing.lines.size(), 1u);
  EXPECT_EQ(refusing.lines[0].first, "future version: 44");

  RecordingHost accepting;
  accepting.host.accept_future = true;
  PictureLoadResult accepted = read_picture_cartridge(future, accepting.host);
  ASSERT_EQ(accepted.status, PictureLoadStatus::loaded);
  EXPECT_EQ(accepted.cartridge->version, 44);
  EXPECT_EQ(accepted.cartridge->code, cartridge->code);
  ASSERT_EQ(accepting.messages.size(), 1u);
  EXPECT_EQ(accepting.messages[0], std::make_pair(std::string("loading future cart version"), 1500));
}

TEST(PictureCartridge, HashFieldGuardsTheImageUnlessAllZero) {
  auto cartridge = create_cartridge();
  cartridge->code = "x=1";
  std::vector<uint8_t> png = encode(*cartridge);
  PicturePayload payload = extract_payload(decode_rgba(png).data());
  EXPECT_EQ(payload[kPayloadVersionOffset + 4], 'm');
  host::Sha1Digest digest = host::sha1(payload.data(), kRomImageSize);
  EXPECT_TRUE(std::equal(digest.begin(), digest.end(), payload.begin() + kPayloadHashOffset));

  payload[0x10] = 0x77;  // sprite pixels changed behind the hash's back
  RecordingHost recorder;
  PictureLoadResult corrupted = read_picture_cartridge(with_payload(png, payload), recorder.host);
  EXPECT_EQ(corrupted.status, PictureLoadStatus::corrupted);
  EXPECT_FALSE(corrupted.cartridge);
  ASSERT_EQ(recorder.lines.size(), 1u);
  EXPECT_EQ(recorder.lines[0].first, "cartridge data is corrupted");

  std::fill_n(payload.begin() + kPayloadHashOffset, kPayloadHashSize, 0);
  PictureLoadResult unchecked = read_picture_cartridge(with_payload(png, payload), recorder.host);
  ASSERT_EQ(unchecked.status, PictureLoadStatus::loaded);
  EXPECT_EQ(unchecked.cartridge->sprite_sheet[0x20], 7);
  EXPECT_EQ(unchecked.cartridge->sprite_sheet[0x21], 7);
  EXPECT_EQ(unchecked.cartridge->code, "x=1");
}

TEST(PictureCartridge, PayloadDoesNotDependOnTheVisiblePicture) {
  auto plain = create_cartridge();
  plain->code = "-- first line\n-- second line\nx=1";
  auto labelled = std::make_unique<Cartridge>(*plain);
  ensure_label(*labelled);  // colour 0 everywhere
  PicturePayload plain_payload = extract_payload(decode_rgba(encode(*plain, console_data())).data());
  std::vector<uint8_t> labelled_png = encode(*labelled, console_data());
  EXPECT_EQ(extract_payload(decode_rgba(labelled_png).data()), plain_payload);

  RecordingHost recorder(console_data());
  PictureLoadResult loaded = read_picture_cartridge(labelled_png, recorder.host);
  ASSERT_EQ(loaded.status, PictureLoadStatus::loaded);
  EXPECT_EQ(loaded.cartridge->label, labelled->label);
}

TEST(PictureCartridge, CommentTextOfTheFirstTwoLines) {
  struct Case {
    std::string code;
    int line;
    std::string text;
  } cases[] = {
      {"-- my game\n-- by me", 0, "my game"},
      {"-- my game\n-- by me", 1, "by me"},
      {"--tight", 0, "tight"},
      {"--  two spaces", 0, " two spaces"},
      {"x=1\n-- comment", 0, ""},
      {"- not a comment", 0, ""},
      {"-- one line", 1, ""},
      {"--\n", 0, ""},
      {"-- " + std::string(40, 'a') + "\n", 0, std::string(31, 'a')},
  };
  for (const Case& test_case : cases)
    EXPECT_EQ(picture_comment_text(test_case.code, test_case.line), test_case.text) << test_case.code;
}

bool region_has_colour(const std::vector<uint8_t>& rgba, int left, int top, int width, int height, uint32_t rgb) {
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) {
      const uint8_t* pixel = rgba.data() + (std::size_t(y) * kPictureWidth + x) * 4;
      uint32_t colour = uint32_t(pixel[0] & 0xfc) << 16 | uint32_t(pixel[1] & 0xfc) << 8 | (pixel[2] & 0xfc);
      if (colour == rgb) return true;
    }
  }
  return false;
}

TEST(PictureCartridge, TitleAndCommentsAreDrawnInTheirColours) {
  ASSERT_NE(console_data(), nullptr);
  auto cartridge = create_cartridge();
  cartridge->code = "-- first\nx=1";
  std::vector<uint8_t> rgba = decode_rgba(encode(*cartridge, console_data()));
  const uint32_t comment = 0xfcf8f0, title = 0xa0a0a0;
  EXPECT_TRUE(region_has_colour(rgba, 18, 167, 40, 6, comment));
  EXPECT_FALSE(region_has_colour(rgba, 18, 175, 40, 6, comment));  // the second line is code
  EXPECT_TRUE(region_has_colour(rgba, 18, 187, 64, 6, title));
  for (std::size_t i = 0; i < kPicturePixelCount; ++i) ASSERT_GE(rgba[i * 4 + 3], 0xfc) << i;
}

TEST(PictureCartridge, TemplateAndLabelAreDrawnInPlace) {
  host::ConsoleData data;
  for (int code = 0; code < 256; ++code)
    data.palette[code] = {static_cast<uint8_t>(code), static_cast<uint8_t>(255 - code), static_cast<uint8_t>(code * 4)};
  data.cart_template = {kPictureWidth, kPictureHeight, std::vector<uint8_t>(kPicturePixelCount)};
  for (std::size_t i = 0; i < kPicturePixelCount; ++i) data.cart_template.pixels[i] = static_cast<uint8_t>(i % 16);
  auto cartridge = create_cartridge();
  ensure_label(*cartridge);
  cartridge->label[0] = 12;
  cartridge->label[kLabelSize * kLabelSize - 1] = 140;
  std::vector<uint8_t> rgba = compose_cartridge_picture(*cartridge, &data);

  auto colour_at = [&](int x, int y) {
    const uint8_t* pixel = rgba.data() + (std::size_t(y) * kPictureWidth + x) * 4;
    return std::array<uint8_t, 3>{pixel[0], pixel[1], pixel[2]};
  };
  EXPECT_EQ(colour_at(3, 2), data.palette[(2 * kPictureWidth + 3) % 16]);
  EXPECT_EQ(colour_at(15, 24), data.palette[(24 * kPictureWidth + 15) % 16]);
  EXPECT_EQ(colour_at(16, 24), data.palette[12]);
  EXPECT_EQ(colour_at(16 + 127, 24 + 127), data.palette[140]);
  EXPECT_EQ(colour_at(16 + 1, 24), data.palette[0]);
}

// With the shipped data file a saved picture shows the cartridge template
// everywhere but the label window and the text lines, and the label inside it.
TEST(PictureCartridge, SavedPictureShowsTheShippedTemplateAroundTheLabel) {
  const host::ConsoleData* data = console_data();
  ASSERT_NE(data, nullptr);
  const host::PodImage& picture = data->cart_template;
  ASSERT_EQ(picture.width, kPictureWidth);
  ASSERT_EQ(picture.height, kPictureHeight);
  ASSERT_EQ(picture.pixels.size(), kPicturePixelCount);
  auto cartridge = create_cartridge();
  cartridge->code = "x=1";  // no comment lines, so only the title is drawn on the template
  ensure_label(*cartridge);
  for (std::size_t i = 0; i < cartridge->label.size(); ++i) cartridge->label[i] = static_cast<uint8_t>(8 + i % 3);
  std::vector<uint8_t> rgba = decode_rgba(encode(*cartridge, data));

  auto shown_code = [&](int x, int y) -> uint8_t {
    bool in_label = x >= kLabelLeft && x < kLabelLeft + kLabelSize && y >= kLabelTop && y < kLabelTop + kLabelSize;
    if (in_label) return cartridge->label[std::size_t(y - kLabelTop) * kLabelSize + (x - kLabelLeft)];
    return picture.pixels[std::size_t(y) * kPictureWidth + x];
  };
  std::set<uint8_t> template_codes;
  for (int y = 0; y < kPictureHeight; ++y) {
    if (y >= 187 && y < 193) continue;  // the title line
    for (int x = 0; x < kPictureWidth; ++x) {
      const uint8_t* pixel = rgba.data() + (std::size_t(y) * kPictureWidth + x) * 4;
      const auto& expected = data->palette[shown_code(x, y)];
      for (int channel = 0; channel < 3; ++channel)
        ASSERT_EQ(pixel[channel] & 0xfc, expected[std::size_t(channel)] & 0xfc) << x << "," << y;
      template_codes.insert(picture.pixels[std::size_t(y) * kPictureWidth + x]);
    }
  }
  // A drawn cartridge, not a plain background.
  EXPECT_GE(template_codes.size(), 4u);
}

// Damaged files give a status and never a crash, an overrun or a hang.
TEST(PictureCartridge, CorruptedFilesNeverCrash) {
  std::mt19937 random(31);
  auto cartridge = test::random_cartridge(random);
  cartridge->code.clear();
  for (int i = 0; i < 60; ++i) cartridge->code += "function f" + std::to_string(i) + "(x) return x*" + std::to_string(i) + " end\n";
  const std::vector<uint8_t> good = encode(*cartridge);
  RecordingHost recorder;
  int loaded = 0;
  for (int round = 0; round < 150; ++round) {
    std::vector<uint8_t> file = good;
    if (round % 3 == 0) file.resize(random() % file.size());
    int flips = 1 + static_cast<int>(random() % 8);
    for (int flip = 0; flip < flips && !file.empty(); ++flip) file[random() % file.size()] ^= 1u << (random() % 8);
    PictureLoadResult result = read_picture_cartridge(file, recorder.host);
    EXPECT_EQ(result.cartridge != nullptr, result.status == PictureLoadStatus::loaded);
    if (result.cartridge) {
      ++loaded;
      EXPECT_LE(result.cartridge->code.size(), kMaxCartridgeCodeLength);
    }
  }
  EXPECT_LT(loaded, 150);

  // Well-formed pictures whose payload is damaged: with the hash field
  // cleared the damaged (often compressed) code area is decoded as it is.
  const PicturePayload good_payload = extract_payload(decode_rgba(good).data());
  ASSERT_TRUE(std::equal(kCurrentFormatMark, kCurrentFormatMark + 4, good_payload.begin() + kRomCodeStart));
  for (int round = 0; round < 30; ++round) {
    PicturePayload payload = good_payload;
    int changes = 1 + static_cast<int>(random() % 200);
    for (int change = 0; change < changes; ++change)
      payload[kRomCodeStart + random() % kRomCodeSize] = test::random_byte(random);
    if (round % 2 == 0) std::fill_n(payload.begin() + kPayloadHashOffset, kPayloadHashSize, 0);
    PictureLoadResult result = read_picture_cartridge(with_payload(good, payload), recorder.host);
    if (round % 2 == 0) {
      ASSERT_EQ(result.status, PictureLoadStatus::loaded);
      EXPECT_LE(result.cartridge->code.size(), kMaxCartridgeCodeLength);
    } else {
      EXPECT_EQ(result.status, PictureLoadStatus::corrupted);
    }
  }

  // A header that claims a huge picture is refused without decoding it.
  std::vector<uint8_t> huge = good;
  huge[16] = 0x7f;  // the top byte of the width in the header chunk
  unsigned crc = lodepng_crc32(huge.data() + 12, 17);
  for (int i = 0; i < 4; ++i) huge[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  EXPECT_EQ(read_picture_cartridge(huge, recorder.host).status, PictureLoadStatus::wrong_size);
}

}  // namespace
}  // namespace tamori::cart
