// The text cartridge format: what is written for particular records and how
// particular files read.
#include <gtest/gtest.h>

#include <string>

#include "cart/text_reader.h"
#include "cart/text_writer.h"

namespace tamori::cart {
namespace {

const std::string kHeader = std::string(kTextCartridgeHeader) + "\nversion 43\n";

std::string file_with(const std::string& version_line, const std::string& body) {
  return std::string(kTextCartridgeHeader) + "\n" + version_line + "\n" + body;
}

std::unique_ptr<Cartridge> read_ok(const std::string& text) {
  TextLoadResult result = read_cartridge_text(text);
  EXPECT_EQ(result.status, TextLoadStatus::loaded);
  return std::move(result.cartridge);
}

// The lines of `text` that follow the marker line `marker`.
std::string first_line_after(const std::string& text, const std::string& marker) {
  std::size_t at = text.find(marker + "\n");
  if (at == std::string::npos) return "<no " + marker + ">";
  std::size_t start = at + marker.size() + 1;
  return text.substr(start, text.find('\n', start) - start);
}

TEST(TextFormat, NewRecordSavesAsTheTwoHeaderLinesAlone) {
  auto cartridge = create_cartridge();
  EXPECT_EQ(write_cartridge_text(*cartridge), kHeader);
  auto loaded = read_ok(kHeader);
  EXPECT_EQ(*loaded, *cartridge);
}

TEST(TextFormat, EffectZeroIsWrittenOnlyWhenItDiffersFromItsDefaultSpeed) {
  auto cartridge = create_cartridge();
  cartridge->sound_effects[0].speed = 1;
  EXPECT_EQ(write_cartridge_text(*cartridge).find("__sfx__"), std::string::npos);

  cartridge->sound_effects[0].speed = 16;
  std::string text = write_cartridge_text(*cartridge);
  std::string line = first_line_after(text, "__sfx__");
  EXPECT_EQ(line, "00100000" + std::string(160, '0'));
  EXPECT_EQ(*read_ok(text), *cartridge);
}

TEST(TextFormat, EffectLinesListEffectsUpToTheLastChangedOne) {
  auto cartridge = create_cartridge();
  cartridge->sound_effects[2].loop_end = 8;
  std::string text = write_cartridge_text(*cartridge);
  std::string expected = "__sfx__\n"
                         "00010000" + std::string(160, '0') + "\n"
                         "00100000" + std::string(160, '0') + "\n"
                         "00100008" + std::string(160, '0') + "\n";
  EXPECT_NE(text.find(expected), std::string::npos) << text;
}

struct EffectFieldCase {
  const char* name;
  void (*change)(audio::SoundEffect&);
  const char* line_start;  // the first characters of the written line
};

const EffectFieldCase kEffectFieldCases[] = {
    {"reverb filter bit", [](audio::SoundEffect& e) { e.filter_bits = 3 * 8; }, "18100000"},
    {"noiz filter bit", [](audio::SoundEffect& e) { e.filter_bits = audio::kFilterNoiz; }, "02100000"},
    {"editor mode", [](audio::SoundEffect& e) { e.editor_mode = true; }, "01100000"},
    {"loop start", [](audio::SoundEffect& e) { e.loop_start = 0xff; }, "0010ff00"},
    {"custom instrument note",
     [](audio::SoundEffect& e) { e.notes[0] = {63, 5, 7, 2, true}; },
     "001000003fd72"},
    {"last note effect", [](audio::SoundEffect& e) { e.notes[31].effect = 7; }, "00100000"},
};

TEST(TextFormat, EverySingleEffectFieldIsWrittenAndReadBack) {
  for (const EffectFieldCase& field : kEffectFieldCases) {
    auto cartridge = create_cartridge();
    field.change(cartridge->sound_effects[1]);
    std::string text = write_cartridge_text(*cartridge);
    std::size_t effect_one = text.find("__sfx__\n");
    ASSERT_NE(effect_one, std::string::npos) << field.name;
    std::string second_line = text.substr(text.find('\n', effect_one + 8) + 1, 168);
    EXPECT_EQ(second_line.substr(0, std::string(field.line_start).size()), field.line_start) << field.name;
    EXPECT_EQ(*read_ok(text), *cartridge) << field.name;
  }
}

TEST(TextFormat, EffectDigitsWithBitThreeSetMarkTheCustomInstrument) {
  // Waveform digit 2 with effect digit 9: effect 1 and the custom flag.
  std::string line = "00100000" "0c209" + std::string(155, '0');
  auto cartridge = read_ok(file_with("version 43", "__sfx__\n" + line + "\n"));
  const audio::SoundNote& note = cartridge->sound_effects[0].notes[0];
  EXPECT_EQ(note.pitch, 12);
  EXPECT_EQ(note.waveform, 2);
  EXPECT_EQ(note.effect, 1);
  EXPECT_TRUE(note.custom_instrument);
}

struct MusicCase {
  const char* version_line;
  const char* line;
  uint8_t flags;
  uint8_t tracks[4];
};

const MusicCase kMusicCases[] = {
    {"version 3", "00 01020304", 0, {1, 2, 3, 4}},
    {"version 43", "05 41424344", 5, {0x41, 0x42, 0x43, 0x44}},
    {"version 43", "0f 7f000102", 15, {0x7f, 0, 1, 2}},
    // Before version 3 a line has no flags; before 4 a zero track is silent.
    {"version 1", "01020304", 0, {1, 2, 3, 4}},
    {"version 1", "00020000", 0, {0x41, 2, 0x41, 0x41}},
    {"version 3", "00 00020000", 0, {0x41, 2, 0x41, 0x41}},
    {"version 4", "00 00020000", 0, {0, 2, 0, 0}},
};

TEST(TextFormat, MusicLinesFollowTheFileVersion) {
  for (const MusicCase& music : kMusicCases) {
    auto cartridge = read_ok(file_with(music.version_line, std::string("__music__\n") + music.line + "\n"));
    const audio::MusicPattern& pattern = cartridge->music[0];
    EXPECT_EQ(pattern.flags, music.flags) << music.version_line << " " << music.line;
    for (int k = 0; k < 4; ++k) EXPECT_EQ(pattern.tracks[k], music.tracks[k]) << music.version_line << " " << music.line;
  }
}

TEST(TextFormat, MusicIsWrittenWithFlagsThenTrackValuesAndAnEmptyLine) {
  auto cartridge = create_cartridge();
  cartridge->music[1] = {{1, 2, 0x43, 0x7f}, 0x06};
  std::string text = write_cartridge_text(*cartridge);
  EXPECT_NE(text.find("__music__\n00 41424344\n06 0102437f\n\n"), std::string::npos) << text;
  EXPECT_EQ(*read_ok(text), *cartridge);
}

TEST(TextFormat, LabelPixelsUseThirtyTwoDigits) {
  auto cartridge = create_cartridge();
  ensure_label(*cartridge);
  cartridge->label[0] = 130;
  cartridge->label[1] = 15;
  cartridge->label[2] = 143;
  std::string text = write_cartridge_text(*cartridge);
  EXPECT_EQ(first_line_after(text, "__label__"), "ifv" + std::string(125, '0'));
  // 128 rows, then an empty line.
  EXPECT_NE(text.find(std::string(128, '0') + "\n\n"), std::string::npos);
  EXPECT_EQ(*read_ok(text), *cartridge);

  // Upper-case digits read the same; other characters read as 0.
  auto upper = read_ok(file_with("version 43", "__label__\nIFVz9\n"));
  ASSERT_EQ(upper->label.size(), 128u * 128u);
  EXPECT_EQ(upper->label[0], 130);
  EXPECT_EQ(upper->label[1], 15);
  EXPECT_EQ(upper->label[2], 143);
  EXPECT_EQ(upper->label[3], 0);
  EXPECT_EQ(upper->label[4], 9);
}

TEST(TextFormat, AllZeroLabelIsNotWritten) {
  auto cartridge = create_cartridge();
  ensure_label(*cartridge);
  EXPECT_EQ(write_cartridge_text(*cartridge), kHeader);
}

TEST(TextFormat, EndLineStopsReading) {
  auto cartridge = read_ok(file_with("version 43", "__lua__\nprint(1)\n##end_tm\nprint(2)\n__gfx__\n1\n"));
  EXPECT_EQ(cartridge->code, "print(1)");
  EXPECT_EQ(cartridge->sprite_sheet[0], 0);
  // Only the start of the line counts.
  auto later = read_ok(file_with("version 43", "__lua__\n##end_tm and more\nx\n"));
  EXPECT_EQ(later->code, "");
  auto inside = read_ok(file_with("version 43", "__lua__\n -- ##end_tm\nx\n"));
  EXPECT_EQ(inside->code, " -- ##end_tm\nx");
}

struct VersionCase {
  const char* version_line;
  bool accept_future;
  TextLoadStatus status;
  int version;
};

const VersionCase kVersionCases[] = {
    {"version 43", false, TextLoadStatus::loaded, 43},
    {"version 44", false, TextLoadStatus::future_version, 0},
    {"version 44", true, TextLoadStatus::loaded, 44},
    {"version 99999999999999", false, TextLoadStatus::future_version, 0},
    {"version 99999999999999", true, TextLoadStatus::loaded, 2147483647},
    {"version  7", false, TextLoadStatus::loaded, 7},
    {"version-3", false, TextLoadStatus::loaded, -3},
    {"versions", false, TextLoadStatus::loaded, 0},
    {"__lua__", false, TextLoadStatus::loaded, 0},
};

TEST(TextFormat, VersionLineDecidesWhetherTheFileLoads) {
  for (const VersionCase& version : kVersionCases) {
    TextLoadResult result = read_cartridge_text(file_with(version.version_line, ""), {version.accept_future});
    EXPECT_EQ(result.status, version.status) << version.version_line;
    EXPECT_EQ(result.cartridge != nullptr, version.status == TextLoadStatus::loaded) << version.version_line;
    if (result.cartridge) {
      EXPECT_EQ(result.cartridge->version, version.version) << version.version_line;
    }
  }
}

struct HeaderCase {
  std::string text;
  bool loads;
};

TEST(TextFormat, HeaderMustStartAtTheFirstLetterT) {
  const HeaderCase cases[] = {
      {"tamori cartridge\nversion 8\n", true},
      {"\xef\xbb\xbftamori cartridge // x\nversion 8\n", true},
      {"## tamori cartridge\nversion 8\n", true},
      {"a tamori cartridge\nversion 8\n", true},
      {"the tamori cartridge\nversion 8\n", false},
      {"tamori cart\nversion 8\n", false},
      {"\ntamori cartridge\n", false},
      {"", false},
      {std::string("\0\x01\x02\xff", 4), false},
  };
  for (const HeaderCase& header : cases) {
    TextLoadResult result = read_cartridge_text(header.text);
    EXPECT_EQ(result.cartridge != nullptr, header.loads) << header.text;
    EXPECT_EQ(result.status, header.loads ? TextLoadStatus::loaded : TextLoadStatus::not_a_cartridge) << header.text;
  }
}

TEST(TextFormat, AnyLineEndingReads) {
  for (const char* ending : {"\n", "\r\n", "\r"}) {
    std::string e = ending;
    std::string text = "tamori cartridge" + e + "version 43" + e + "__lua__" + e + "a=1" + e + "b=2" + e + "__gfx__" + e + "0f" + e;
    auto cartridge = read_ok(text);
    EXPECT_EQ(cartridge->code, "a=1\nb=2");
    EXPECT_EQ(cartridge->sprite_sheet[1], 15);
  }
}

TEST(TextFormat, CodeIsConvertedBetweenTmsciiAndUtf8) {
  auto cartridge = create_cartridge();
  cartridge->code = "print(\"\x83\x8e\x80\")\n-- \x9a\xcc A";
  std::string text = write_cartridge_text(*cartridge);
  EXPECT_NE(text.find("__lua__\nprint(\"⬇️🅾️█\")\n-- あア A\n"), std::string::npos) << text;
  EXPECT_EQ(read_ok(text)->code, cartridge->code);
  // The italic form of capitals and arrows without their selector read the same.
  EXPECT_EQ(read_ok(file_with("version 43", "__lua__\n𝘢𝘻⬇x\n"))->code, "AZ\x83x");
  EXPECT_EQ(read_ok(write_cartridge_text(*cartridge, UppercaseForm::kItalic))->code, cartridge->code);
}

TEST(TextFormat, CodeKeepsEmptyLinesAndLosesOnlyTheLastLineEnd) {
  for (const std::string code : {"a\n", "\n\n", "a\n\nb", "-->8\n"}) {
    auto cartridge = create_cartridge();
    cartridge->code = code;
    EXPECT_EQ(read_ok(write_cartridge_text(*cartridge))->code, code);
  }
}

TEST(TextFormat, SpritesMapAndFlagsAreWrittenUpToTheLastUsedRow) {
  auto cartridge = create_cartridge();
  cartridge->sprite_sheet[2 * 128 + 127] = 12;
  cartridge->map[3 * 128 + 1] = 0xab;
  cartridge->map[40 * 128] = 0x11;  // the shared rows belong to the sprite sheet
  cartridge->sprite_flags[200] = 0x81;
  std::string text = write_cartridge_text(*cartridge);
  std::size_t gfx = text.find("__gfx__\n");
  std::size_t gff = text.find("__gff__\n");
  std::size_t map = text.find("__map__\n");
  ASSERT_TRUE(gfx != std::string::npos && gff != std::string::npos && map != std::string::npos) << text;
  EXPECT_LT(gfx, gff);
  EXPECT_LT(gff, map);
  EXPECT_EQ(text.substr(gfx + 8, gff - gfx - 8), std::string(128, '0') + "\n" + std::string(128, '0') + "\n" + std::string(127, '0') + "c\n");
  EXPECT_EQ(text.substr(gff + 8, map - gff - 8), std::string(256, '0') + "\n" + std::string(144, '0') + "81" + std::string(110, '0') + "\n");
  std::string map_rows = text.substr(map + 8);
  EXPECT_EQ(std::count(map_rows.begin(), map_rows.end(), '\n'), 4);
  EXPECT_EQ(map_rows.substr(3 * 257, 4), "00ab");
}

TEST(TextFormat, OldFlagLinesHaveOneDigitPerFlag) {
  auto old = read_ok(file_with("version 2", "__gff__\n1f3\n"));
  EXPECT_EQ(old->sprite_flags[0], 1);
  EXPECT_EQ(old->sprite_flags[1], 15);
  EXPECT_EQ(old->sprite_flags[2], 3);
  auto current = read_ok(file_with("version 3", "__gff__\n1f3\n"));
  EXPECT_EQ(current->sprite_flags[0], 0x1f);
  EXPECT_EQ(current->sprite_flags[1], 0x30);
}

TEST(TextFormat, MapSectionAcceptsTheSharedRows) {
  std::string body = "__map__\n";
  for (int row = 0; row < 70; ++row) body += std::string(254, '0') + (row == 40 || row == 65 ? "07" : "00") + "\n";
  auto cartridge = read_ok(file_with("version 43", body));
  EXPECT_EQ(cartridge->map[40 * 128 + 127], 7);
}

TEST(TextFormat, ChangeMaskAndMetaSectionsAreKept) {
  auto cartridge = create_cartridge();
  cartridge->change_mask[0] = 0x0f;
  cartridge->change_mask[2143] = 0;
  cartridge->meta_sections.push_back({"__meta:notes", "first\n\nthird\n"});
  cartridge->meta_sections.push_back({"__meta:empty", ""});
  std::string text = write_cartridge_text(*cartridge);
  std::string mask_line = first_line_after(text, "__change_mask__");
  ASSERT_EQ(mask_line.size(), 4288u);
  EXPECT_EQ(mask_line.substr(0, 4), "0fff");
  EXPECT_EQ(mask_line.substr(4286), "00");
  EXPECT_EQ(*read_ok(text), *cartridge);
}

TEST(TextFormat, MalformedDataCharactersReadAsZero) {
  auto cartridge = read_ok(file_with("version 43", "ignored before a marker\n__gfx__\n1G2F-3\n__gff__\nzz0a\n"));
  const uint8_t expected[] = {1, 0, 2, 0, 0, 3, 0};
  for (int x = 0; x < 7; ++x) EXPECT_EQ(cartridge->sprite_sheet[x], expected[x]) << x;
  EXPECT_EQ(cartridge->sprite_flags[0], 0);
  EXPECT_EQ(cartridge->sprite_flags[1], 0x0a);
}

TEST(TextFormat, UnknownMarkersAreDataOfTheCurrentSection) {
  auto cartridge = read_ok(file_with("version 43", "__lua__\n__foo__\nx\n"));
  EXPECT_EQ(cartridge->code, "__foo__\nx");
}

}  // namespace
}  // namespace tamori::cart
