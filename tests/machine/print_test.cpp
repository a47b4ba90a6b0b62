// Printing with the console's own font from data.pod: results, glyph
// pictures read back from the screen, control codes, the commands after code 6,
// scrolling, waits and the sound command.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "draw_script.h"
#include "host/console_data.h"
#include "machine/memory.h"
#include "machine/print_functions.h"

namespace tamori::machine::testing {
namespace {

constexpr int32_t fixed(int32_t whole) { return static_cast<int32_t>(static_cast<uint32_t>(whole) << 16); }

struct Printer {
  std::unique_ptr<MachineState> state = new_drawing_machine();
  TextState text;

  Printer() {
    static const std::optional<host::ConsoleData> data =
        host::load_console_data(std::string(TAMORI_BUILD_DIR) + "/data.pod");
    if (data) set_builtin_font(text, data->font);
  }

  PrintResult at(const std::string& s, int32_t x, int32_t y, NumberArgument colour = std::nullopt) {
    return print(*state, text, PrintArguments{s, x, y, colour, true});
  }
  PrintResult here(const std::string& s, bool program_running = true) {
    return print(*state, text, PrintArguments{s, std::nullopt, std::nullopt, std::nullopt, program_running});
  }
  std::vector<std::string> picture(int x, int y, int w, int h) const { return draw_target_picture(*state, x, y, w, h); }
  int pixel(int x, int y) const { return state->draw_target->pixels[y * kPixelPageSize + x]; }
};

TEST(PrintFont, BuiltFromTheConsoleData) {
  Printer printer;
  ASSERT_TRUE(printer.text.builtin_font_ready);
  const FontBytes& font = printer.text.builtin_font;
  EXPECT_EQ(font[0], 4);
  EXPECT_EQ(font[1], 8);
  EXPECT_EQ(font[2], 6);
  // "h": #.#. / #.#. / ###. as bits, column 0 in bit 0.
  EXPECT_EQ(font[8 * 'h' + 0], 0b101);
  EXPECT_EQ(font[8 * 'h' + 2], 0b111);
  EXPECT_EQ(font[8 * 'h' + 5], 0);
}

TEST(Print, HiReturnsTheFarthestCursorAndDrawsBothLetters) {
  Printer printer;
  PrintResult result = printer.at("hi", 0, 0, fixed(7));
  ASSERT_TRUE(result.finished);
  EXPECT_EQ(result.max_x, 8);
  EXPECT_EQ(result.max_y, 6);
  std::vector<std::string> expected = {"7.7.777.", "7.7..7..", "777..7..", "7.7..7..", "7.7.777.", "........"};
  EXPECT_EQ(printer.picture(0, 0, 8, 6), expected);
  EXPECT_EQ(printer.state->registers.cursor_x, 0);
  EXPECT_EQ(printer.state->registers.cursor_y, 6);
  // Three steps of one byte, and two padded 5 x 7 boxes at half their area.
  EXPECT_EQ(result.cycles, 3 + 2 * (35 / 2));
}

TEST(Print, WideAndTallDoubleTheLetters) {
  Printer printer;
  PrintResult result = printer.at("\6w\6thi", 0, 0, fixed(7));
  EXPECT_EQ(result.max_x, 16);
  EXPECT_EQ(result.max_y, 12);
  std::vector<std::string> expected = {"77..77..777777..", "77..77..777777..", "77..77....77....",
                                       "77..77....77....", "777777....77...."};
  EXPECT_EQ(printer.picture(0, 0, 16, 5), expected);
}

TEST(Print, DottyWideAndPinball) {
  Printer printer;
  printer.at("\6w\6=h", 0, 0, fixed(7));
  EXPECT_EQ(printer.picture(0, 0, 8, 1)[0], ".7...7..");
  printer.at("\6ph", 0, 10, fixed(7));
  EXPECT_EQ(printer.picture(0, 10, 8, 3), (std::vector<std::string>{".7...7..", "........", ".7...7.."}));
}

TEST(Print, BackspaceDrawsOverThePreviousLetter) {
  Printer printer;
  printer.at("ab\bc", 0, 0, fixed(7));
  // "c" over "b": .##. / #... over ##.. / #.#.
  EXPECT_EQ(printer.picture(4, 0, 4, 2), (std::vector<std::string>{"777.", "7.7."}));
  EXPECT_EQ(printer.picture(8, 0, 4, 5), (std::vector<std::string>{"....", "....", "....", "....", "...."}));
}

TEST(Print, RepeatCountsCharacters) {
  Printer printer;
  EXPECT_EQ(printer.at("\1" "3x", 0, 0).max_x, 12);
  EXPECT_EQ(printer.at("\1" "0x", 0, 20).max_x, 0);
  EXPECT_EQ(printer.picture(0, 20, 4, 5), (std::vector<std::string>{"....", "....", "....", "....", "...."}));
}

TEST(Print, SolidBackgroundBoxStartsOnePixelUpAndLeft) {
  Printer printer;
  printer.at("\2" "2hi", 10, 10, fixed(7));
  EXPECT_EQ(printer.picture(9, 9, 10, 3), (std::vector<std::string>{"222222222.", "272727772.", "272722722."}));
  EXPECT_EQ(printer.pixel(9, 15), 2);  // 7 rows: the padding row and 6 of the font
  EXPECT_EQ(printer.pixel(9, 16), 0);
}

TEST(Print, OutlineSurroundsTheGlyph) {
  Printer printer;
  printer.at("\6o1ffi", 10, 10, fixed(7));
  std::vector<std::string> expected = {"11111", "17771", "11711", ".171.", "11711", "17771", "11111"};
  EXPECT_EQ(printer.picture(9, 9, 5, 7), expected);
  // Only the left neighbours, in the foreground colour: mask bits 0, 3 and
  // 6 (d2 = 9, d1 = 2).
  Printer left_only;
  left_only.at("\6o!29i", 10, 10, fixed(7));
  EXPECT_EQ(left_only.picture(9, 9, 5, 3), (std::vector<std::string>{"777..", "7777.", "777.."}));
}

TEST(Print, InvertedFillsTheBoxAroundTheGlyph) {
  Printer printer;
  printer.at("\6ii", 1, 1, fixed(7));
  EXPECT_EQ(printer.picture(0, 0, 5, 7),
            (std::vector<std::string>{"77777", "7...7", "77.77", "77.77", "77.77", "7...7", "77777"}));
}

TEST(Print, CursorMovesTabsAndCarriageReturn) {
  Printer printer;
  EXPECT_EQ(printer.at("\3" "k", 0, 0).max_x, 4);   // k is 20: +4
  EXPECT_EQ(printer.at("\5" "kk", 0, 0).max_y, 10);  // then the line feed
  EXPECT_EQ(printer.state->registers.cursor_y, 10);
  EXPECT_EQ(printer.at("a\tb", 0, 0).max_x, 20);
  EXPECT_EQ(printer.at("a\6s2\tb", 0, 0).max_x, 12);
  EXPECT_EQ(printer.at("aaa\rb", 0, 0).max_x, 12);
  EXPECT_EQ(printer.at("\6j58", 0, 0).max_y, 38);
}

TEST(Print, Code11DrawsAnAccentAndReturns) {
  Printer printer;
  // Accent "." above the previous letter: moved by (0, -2) with p = 26 ('q').
  PrintResult result = printer.at("a\vq.b", 0, 10, fixed(7));
  EXPECT_EQ(result.max_x, 8);
  EXPECT_EQ(printer.pixel(1, 12), 7);  // the dot of "." at (1, 4) of its cell, 6 rows up
}

TEST(Print, ForegroundCodeSetsThePen) {
  Printer printer;
  printer.at("\f" "ci", 0, 0, fixed(7));
  EXPECT_EQ(printer.pixel(0, 0), 12);
  EXPECT_EQ(printer.state->registers.pen_colour, 12);
  printer.at("i\f", 0, 10, fixed(7));  // the parameter is missing: ignored
  EXPECT_EQ(printer.state->registers.pen_colour, 7);
}

TEST(Print, WithoutLineFeedTheCursorStaysOnTheLine) {
  Printer printer;
  write_memory_byte(*printer.state, 0x5f36, 4);
  printer.here("a");
  printer.here("b");
  EXPECT_EQ(printer.state->registers.cursor_x, 8);
  EXPECT_EQ(printer.state->registers.cursor_y, 0);
  // The two prints leave the same pixels as "ab" printed in one go.
  Printer together;
  together.at("ab", 0, 0);
  EXPECT_EQ(printer.picture(0, 0, 12, 12), together.picture(0, 0, 12, 12));
  EXPECT_NE(printer.picture(4, 0, 4, 6), std::vector<std::string>(6, "...."));
}

TEST(Print, LinesScrollOncePastRow122) {
  Printer printer;
  for (int line = 0; line < 20; ++line) printer.here("i");
  EXPECT_EQ(printer.state->registers.cursor_y, 120);
  EXPECT_EQ(printer.picture(0, 0, 4, 1)[0], "666.");
  PrintResult result = printer.here("i");
  EXPECT_EQ(printer.state->registers.cursor_y, 120);
  EXPECT_GE(result.cycles, 65536);
  // Everything moved up 6 rows: the last line, printed at row 120, is at
  // row 114 and rows 119..127 are clear.
  EXPECT_EQ(printer.picture(0, 114, 4, 2), (std::vector<std::string>{"666.", ".6.."}));
  EXPECT_EQ(printer.picture(0, 108, 4, 1)[0], "666.");
  for (int row = 119; row < 128; ++row) EXPECT_EQ(printer.picture(0, row, 128, 1)[0], std::string(128, '.'));
}

TEST(Print, ScrollingSuppressedInAProgram) {
  Printer printer;
  write_memory_byte(*printer.state, 0x5f36, 0x40);
  for (int line = 0; line < 23; ++line) printer.here("i");
  EXPECT_EQ(printer.state->registers.cursor_y, 138 & 0xff);
  EXPECT_EQ(printer.picture(0, 0, 4, 1)[0], "666.");
}

TEST(Print, WaitsFinishOnLaterFrames) {
  Printer printer;
  PrintResult result = printer.at("\6" "1hi", 0, 0, fixed(7));
  EXPECT_FALSE(result.finished);
  EXPECT_EQ(printer.pixel(0, 0), 0);
  result = continue_print(*printer.state, printer.text);
  EXPECT_TRUE(result.finished);
  EXPECT_EQ(result.max_x, 8);
  EXPECT_EQ(printer.pixel(0, 0), 7);

  result = printer.at("\6" "3a", 0, 10, fixed(7));  // four frames
  for (int frame = 0; frame < 3; ++frame) EXPECT_FALSE(continue_print(*printer.state, printer.text).finished);
  EXPECT_TRUE(continue_print(*printer.state, printer.text).finished);
}

TEST(Print, PerCharacterDelay) {
  Printer printer;
  EXPECT_FALSE(printer.at("\6d1ab", 0, 0, fixed(7)).finished);
  EXPECT_EQ(printer.pixel(1, 0), 7);  // a
  EXPECT_EQ(printer.pixel(4, 0), 0);  // b not yet
  EXPECT_FALSE(continue_print(*printer.state, printer.text).finished);
  EXPECT_EQ(printer.pixel(4, 0), 7);
  EXPECT_TRUE(continue_print(*printer.state, printer.text).finished);
}

TEST(Print, PokesFromTheText) {
  Printer printer;
  printer.at("\6@43000002xyz", 0, 0);
  EXPECT_EQ(read_memory_byte(*printer.state, 0x4300), 'x');
  EXPECT_EQ(read_memory_byte(*printer.state, 0x4301), 'y');
  EXPECT_EQ(read_memory_byte(*printer.state, 0x4302), 0);
  EXPECT_EQ(printer.state->registers.cursor_x, 0);  // "z" and the line feed
  // "!" pokes the rest of the string, the appended line feed included,
  // unless 0x5f36 bit 0x04 leaves it off; either way nothing is printed.
  for (const bool line_feed : {true, false}) {
    write_memory_byte(*printer.state, 0x5f36, line_feed ? 0 : 4);
    write_memory_byte(*printer.state, 0x4313, 0x55);
    PrintResult result = printer.at("\6!4310abc", 0, 0);
    EXPECT_EQ(read_memory_byte(*printer.state, 0x4312), 'c');
    EXPECT_EQ(read_memory_byte(*printer.state, 0x4313), line_feed ? '\n' : 0x55);
    EXPECT_EQ(result.max_y, 0);
  }
}

TEST(Print, OneOffGlyphs) {
  Printer printer;
  printer.at("\6:ff818181818181ff", 1, 1, fixed(7));
  EXPECT_EQ(printer.picture(1, 1, 8, 2), (std::vector<std::string>{"77777777", "7......7"}));
  EXPECT_EQ(printer.pixel(0, 0), 0);
  PrintResult result = printer.at("\6:ff", 0, 20);  // too few digits: nothing
  EXPECT_EQ(result.max_x, 0);
}

TEST(Print, CustomFontFromMemory) {
  Printer printer;
  // Header: width 3, wide 6, height 4; glyph "a" is one full row of 3.
  write_memory_byte(*printer.state, 0x5600, 3);
  write_memory_byte(*printer.state, 0x5601, 6);
  write_memory_byte(*printer.state, 0x5602, 4);
  write_memory_byte(*printer.state, 0x5600 + 8 * 'a', 0b111);
  PrintResult result = printer.at("\16aa\17a", 0, 0, fixed(7));
  EXPECT_EQ(result.max_x, 10);
  EXPECT_EQ(result.max_y, 6);  // the built-in font's line height at the end
  EXPECT_EQ(printer.picture(0, 0, 6, 1)[0], "777777");
  write_memory_byte(*printer.state, 0x5f58, 0x81);  // custom font from the start
  EXPECT_EQ(printer.at("a", 0, 10).max_y, 14);
}

TEST(Print, AttributesFromMemory) {
  Printer printer;
  write_memory_byte(*printer.state, 0x5f58, 0x05);  // wide, no padding
  EXPECT_EQ(printer.at("a", 0, 0).max_x, 8);
  write_memory_byte(*printer.state, 0x5f58, 0);
  write_memory_byte(*printer.state, 0x5f59, 0x85);  // width 5, height 8
  EXPECT_EQ(printer.at("aa", 0, 0).max_x, 10);
  EXPECT_EQ(printer.at("a", 0, 0).max_y, 8);
  write_memory_byte(*printer.state, 0x5f36, 0x10);  // attribute bytes not read
  EXPECT_EQ(printer.at("aa", 0, 0).max_x, 8);
}

TEST(Print, WrapsAtTheBoundary) {
  Printer printer;
  PrintResult result = printer.at("\6r1abc", 0, 0);
  EXPECT_EQ(result.max_y, 18);  // a, then b and c each on a new line
  EXPECT_EQ(printer.here("abc", false).max_x, 12);  // the console wraps at the clip edge
}

TEST(PrintSound, BeepStoredAndDefinedEffects) {
  Printer printer;
  std::vector<std::string> calls;
  audio::SoundEffect beep;
  printer.text.sound.play_sound_record = [&](const audio::SoundEffect& effect) {
    beep = effect;
    calls.push_back("beep");
  };
  printer.text.sound.play_sound_effect = [&](int slot) { calls.push_back("play " + std::to_string(slot)); };
  printer.text.sound.sound_effect_playing = [](int slot) { return slot == 63; };
  printer.at("\a", 0, 0);
  EXPECT_EQ(beep.notes[0].pitch, 46);
  EXPECT_EQ(beep.notes[0].volume, 5);
  EXPECT_EQ(beep.speed, 16);
  printer.at("\a12 hi", 0, 0);
  EXPECT_EQ(printer.state->registers.cursor_y, 6);
  PrintResult result = printer.at("\as9l12c#4e-[g.x3i2z", 0, 0);
  EXPECT_EQ(result.max_x, 0);
  ASSERT_EQ(calls, (std::vector<std::string>{"beep", "play 12", "play 62"}));
  const audio::SoundEffect& effect = printer.state->sound_effects[62];
  EXPECT_EQ(effect.speed, 9);
  EXPECT_EQ(effect.loop_start, 1);
  EXPECT_EQ(effect.loop_end, 2);
  EXPECT_EQ(effect.notes[0].pitch, 1 + 48);
  EXPECT_EQ(effect.notes[1].pitch, 3 + 36);
  EXPECT_EQ(effect.notes[2].pitch, 7 + 24);
  EXPECT_EQ(effect.notes[2].waveform, 5);
  EXPECT_EQ(effect.notes[3].volume, 0);
  EXPECT_EQ(effect.notes[4].pitch, 12 + 24);  // "z": any other letter
  EXPECT_EQ(effect.notes[4].effect, 3);
  EXPECT_EQ(effect.notes[4].waveform, 2);
}

}  // namespace
}  // namespace tamori::machine::testing

namespace tamori::machine::testing {
namespace {

TEST(PrintSound, DigitsNameTheSlotAndTheConsoleStopsMusicFirst) {
  Printer printer;
  std::vector<std::string> calls;
  printer.text.sound.play_sound_effect = [&](int slot) { calls.push_back("play " + std::to_string(slot)); };
  printer.text.sound.music_playing = [] { return true; };
  printer.text.sound.stop_music_and_sounds = [&] { calls.push_back("stop"); };
  printer.at("\a5c1", 0, 0);  // in a program: music keeps playing
  EXPECT_EQ(printer.state->sound_effects[5].notes[0].pitch, 12);
  EXPECT_EQ(printer.state->sound_effects[5].speed, 4);
  print(*printer.state, printer.text, PrintArguments{"\a" "70e", 0, 0, std::nullopt, false});
  // 70 is no slot: the effect goes to 63, the first one not playing.
  EXPECT_EQ(printer.state->sound_effects[63].notes[0].pitch, 4 + 36);
  EXPECT_EQ(calls, (std::vector<std::string>{"play 5", "stop", "play 63"}));
}

}  // namespace
}  // namespace tamori::machine::testing
