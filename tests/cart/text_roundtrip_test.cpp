// Records survive the text format, real cartridges load and survive it, and
// damaged files never break the reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

#include "cart/cartridge_bytes.h"
#include "cart/text_reader.h"
#include "cart/text_writer.h"
#include "cartridge_test_support.h"
#include "host/files.h"

namespace tamori::cart {
namespace {

// Names the first part in which two records differ ("" when equal), so that
// a failure says more than two large byte dumps would.
std::string first_difference(const Cartridge& a, const Cartridge& b) {
  if (a.code != b.code) return "code";
  if (a.sprite_sheet != b.sprite_sheet) return "sprite sheet";
  if (a.map != b.map) return "map";
  if (a.sprite_flags != b.sprite_flags) return "sprite flags";
  for (int i = 0; i < audio::kSoundEffectCount; ++i)
    if (a.sound_effects[i] != b.sound_effects[i]) return "sound effect " + std::to_string(i);
  for (int i = 0; i < audio::kMusicPatternCount; ++i)
    if (a.music[i] != b.music[i]) return "music pattern " + std::to_string(i);
  if (a.label != b.label) return "label";
  if (a.version != b.version) return "version";
  if (a.change_mask != b.change_mask) return "change mask";
  if (a.meta_sections != b.meta_sections) return "meta sections";
  if (a.legacy_applied != b.legacy_applied) return "legacy flag";
  return "";
}

TEST(TextRoundTrip, RandomRecordsComeBackIdentical) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 300; ++round) {
    auto original = test::random_cartridge(random);
    std::string text = write_cartridge_text(*original);
    TextLoadResult loaded = read_cartridge_text(text);
    ASSERT_EQ(loaded.status, TextLoadStatus::loaded) << "round " << round;
    // Map rows 32..63 are written as sprite rows; a prepared cartridge
    // takes them back from there.
    reconcile_shared_region(*loaded.cartridge);
    ASSERT_EQ(first_difference(*loaded.cartridge, *original), "") << "round " << round;
    // Writing the same record twice gives the same text.
    ASSERT_EQ(write_cartridge_text(*loaded.cartridge), text) << "round " << round;
  }
}

std::vector<std::filesystem::path> real_cartridges() {
  std::vector<std::filesystem::path> paths;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(TAMORI_SHARED_DIR "/carts", error))
    if (entry.path().extension() == ".tm") paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());
  return paths;
}

// Written and read again, the record is the same (the writer always writes
// the current version).
void expect_survives_saving(Cartridge& first) {
  reconcile_shared_region(first);
  TextLoadResult second = read_cartridge_text(write_cartridge_text(first));
  ASSERT_EQ(second.status, TextLoadStatus::loaded);
  reconcile_shared_region(*second.cartridge);
  EXPECT_EQ(second.cartridge->version, kCurrentCartridgeVersion);
  second.cartridge->version = first.version;
  EXPECT_EQ(first_difference(*second.cartridge, first), "");
}

TEST(TextRoundTrip, RealCartridgesLoadAndSurviveSaving) {
  std::vector<std::filesystem::path> paths = real_cartridges();
  if (paths.empty()) GTEST_SKIP() << "no cartridges in " TAMORI_SHARED_DIR "/carts";
  for (const auto& path : paths) {
    SCOPED_TRACE(path.filename().string());
    TextLoadResult first = load_cartridge_text(path.string());
    ASSERT_EQ(first.status, TextLoadStatus::loaded);
    EXPECT_FALSE(first.cartridge->code.empty());
    expect_survives_saving(*first.cartridge);
  }
}

// Files the fuzzers found whose record changed when written and read again.
TEST(TextRoundTrip, FuzzRegressionsSurviveSaving) {
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(TAMORI_TEST_DATA_DIR) /
                                                               "cart/data/fuzz_regressions_text")) {
    SCOPED_TRACE(entry.path().filename().string());
    TextLoadResult first = load_cartridge_text(entry.path().string());
    ASSERT_EQ(first.status, TextLoadStatus::loaded);
    expect_survives_saving(*first.cartridge);
    checked++;
  }
  EXPECT_GE(checked, 1);
}

// Invariants every loaded record keeps, whatever the file held.
void expect_record_within_limits(const Cartridge& cartridge) {
  EXPECT_LE(cartridge.code.size(), kMaxCartridgeCodeLength);
  EXPECT_TRUE(std::all_of(cartridge.sprite_sheet.begin(), cartridge.sprite_sheet.end(), [](uint8_t p) { return p < 16; }));
  EXPECT_TRUE(cartridge.label.empty() || cartridge.label.size() == kLabelSize * kLabelSize);
  for (uint8_t pixel : cartridge.label) EXPECT_TRUE(pixel < 16 || (pixel >= 128 && pixel < 144));
  for (const audio::SoundEffect& effect : cartridge.sound_effects) {
    EXPECT_EQ(effect.filter_bits & 1, 0);
    for (const audio::SoundNote& note : effect.notes)
      EXPECT_TRUE(note.pitch < 64 && note.waveform < 8 && note.volume < 8 && note.effect < 8);
  }
  for (const audio::MusicPattern& pattern : cartridge.music) {
    EXPECT_LT(pattern.flags, 16);
    for (uint8_t track : pattern.tracks) EXPECT_LT(track, 128);
  }
  EXPECT_LE(cartridge.meta_sections.size(), kMaxMetaSections);
  for (const MetaSection& section : cartridge.meta_sections) EXPECT_LT(section.text.size(), kMaxMetaSectionSize);
}

// One random change to a file's text: flip, insert or delete bytes, cut it,
// repeat a part, or splice in a marker line.
void mutate(std::string& text, std::mt19937& random) {
  static const char* const kMarkers[] = {"__lua__", "__gfx__", "__gff__", "__map__", "__sfx__", "__music__",
                                         "__label__", "__change_mask__", "__meta:x", "##end_tm", "\r", "\n"};
  std::size_t at = text.empty() ? 0 : random() % text.size();
  switch (random() % 6) {
    case 0:
      if (!text.empty()) text[at] = static_cast<char>(random());
      break;
    case 1: text.insert(at, 1 + random() % 8, static_cast<char>(random())); break;
    case 2: text.erase(at, random() % 64); break;
    case 3: text.resize(at); break;
    case 4: text.insert(at, text.substr(at, random() % 4096)); break;
    default: text.insert(at, std::string("\n") + kMarkers[random() % 12] + "\n"); break;
  }
}

TEST(TextRoundTrip, DamagedFilesNeverBreakTheReader) {
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::string text = write_cartridge_text(*test::random_cartridge(random));
    int changes = 1 + static_cast<int>(random() % 8);
    for (int change = 0; change < changes; ++change) mutate(text, random);
    TextLoadResult result = read_cartridge_text(text, {random() % 2 == 0});
    ASSERT_EQ(result.cartridge != nullptr, result.status == TextLoadStatus::loaded) << "round " << round;
    if (result.cartridge) expect_record_within_limits(*result.cartridge);
    if (HasFailure()) FAIL() << "round " << round;
  }
}

std::string lines_of(const std::string& line, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line + "\n";
  return text;
}

struct HostileCase {
  const char* name;
  std::string body;
  TextLoadStatus status;
};

TEST(TextRoundTrip, HostileFilesGiveTheRightStatusOrClampedRecords) {
  const std::string header = "tamori cartridge\nversion 43\n";
  const HostileCase cases[] = {
      {"70 KB of code", "__lua__\n" + lines_of(std::string(99, 'x'), 700), TextLoadStatus::code_too_large},
      {"code of exactly the limit", "__lua__\n" + std::string(65535, 'y') + "\n", TextLoadStatus::loaded},
      {"code one byte over", "__lua__\n" + std::string(65536, 'y') + "\n", TextLoadStatus::code_too_large},
      {"wide glyphs over the limit", "__lua__\n" + lines_of("⬇️⬇️⬇️⬇️⬇️", 11000), TextLoadStatus::code_too_large},
      {"a megabyte line in sprites", "__gfx__\n" + std::string(1 << 20, 'f') + "\n", TextLoadStatus::loaded},
      {"a megabyte line in effects", "__sfx__\n" + std::string(1 << 20, '7') + "\n", TextLoadStatus::loaded},
      {"200 effect lines", "__sfx__\n" + lines_of(std::string(168, '1'), 200), TextLoadStatus::loaded},
      {"300 music lines", "__music__\n" + lines_of("0f ffffffff", 300), TextLoadStatus::loaded},
      {"300 sprite rows", "__gfx__\n" + lines_of(std::string(128, '3'), 300), TextLoadStatus::loaded},
      {"300 label rows", "__label__\n" + lines_of(std::string(200, 'v'), 300), TextLoadStatus::loaded},
      {"invalid utf-8 code", "__lua__\n\xff\xfe\xc3\x28\xe2\x82\xf0\x9f\x98\n", TextLoadStatus::loaded},
      {"nul bytes", std::string("__lua__\na\0b\n__gfx__\n\0\0\n", 19), TextLoadStatus::loaded},
      {"huge meta section", "__meta:big\n" + lines_of(std::string(1000, 'm'), 400), TextLoadStatus::loaded},
      {"thousands of meta sections", lines_of("__meta:x\nline", 2000), TextLoadStatus::loaded},
      {"short change mask", "__change_mask__\nff0\n", TextLoadStatus::loaded},
  };
  for (const HostileCase& hostile : cases) {
    SCOPED_TRACE(hostile.name);
    TextLoadResult result = read_cartridge_text(header + hostile.body);
    EXPECT_EQ(result.status, hostile.status);
    EXPECT_EQ(result.cartridge != nullptr, hostile.status == TextLoadStatus::loaded);
    if (result.cartridge) expect_record_within_limits(*result.cartridge);
  }
}

TEST(TextRoundTrip, ClampedSectionsKeepTheirFirstRows) {
  const std::string header = "tamori cartridge\nversion 43\n";
  auto effects = read_cartridge_text(header + "__sfx__\n" + lines_of("00020304" + std::string(160, '1'), 100));
  ASSERT_TRUE(effects.cartridge);
  EXPECT_EQ(effects.cartridge->sound_effects[63].speed, 2);
  EXPECT_EQ(effects.cartridge->sound_effects[63].notes[31].volume, 1);

  auto mask = read_cartridge_text(header + "__change_mask__\nff0\n");
  ASSERT_TRUE(mask.cartridge);
  EXPECT_EQ(mask.cartridge->change_mask[0], 0xff);
  EXPECT_EQ(mask.cartridge->change_mask[1], 0x00);

  auto meta = read_cartridge_text(header + "__meta:big\n" + lines_of(std::string(1000, 'm'), 400) + "__lua__\nx\n");
  ASSERT_TRUE(meta.cartridge);
  ASSERT_EQ(meta.cartridge->meta_sections.size(), 1u);
  EXPECT_EQ(meta.cartridge->meta_sections[0].text.size(), 261u * 1001u);
  EXPECT_EQ(meta.cartridge->code, "x");
}

TEST(TextRoundTrip, FilesAreReadAndWrittenThroughPaths) {
  test::TemporaryFolder folder("text_files");
  std::mt19937 random(3);
  auto original = test::random_cartridge(random);
  std::string path = folder.file("game.tm");
  ASSERT_EQ(save_cartridge_text(*original, path), 0);
  TextLoadResult loaded = load_cartridge_text(path);
  ASSERT_EQ(loaded.status, TextLoadStatus::loaded);
  reconcile_shared_region(*loaded.cartridge);
  EXPECT_EQ(first_difference(*loaded.cartridge, *original), "");

  EXPECT_EQ(save_cartridge_text(*original, folder.file("missing/folder/game.tm")), 1);
  EXPECT_EQ(load_cartridge_text(folder.file("nothing.tm")).status, TextLoadStatus::not_a_cartridge);
  EXPECT_EQ(load_cartridge_text(folder.path.string()).status, TextLoadStatus::not_a_cartridge);
}

}  // namespace
}  // namespace tamori::cart
