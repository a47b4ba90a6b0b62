// print through a running cartridge: the glyphs come from the console data
// file's font, and a print that waits for frames holds the program until
// it has finished.
#include <gtest/gtest.h>

#include "audio/sfx_playback.h"
#include "cartridge_run_fixture.h"
#include "machine/memory.h"

namespace tamori::shell::testing {
namespace {

// The screen's ink (colour 7) in the glyph's 4 x 6 cell, as 0/1 rows.
std::vector<std::string> printed_cell(const machine::MachineState& machine, int x, int y) {
  std::vector<std::string> rows;
  for (int row = 0; row < 6; row++) {
    std::string text;
    for (int column = 0; column < 4; column++)
      text += machine.display_pages[0].pixels[(y + row) * machine::kPixelPageSize + x + column] == 7 ? '1' : '0';
    rows.push_back(text);
  }
  return rows;
}

std::vector<std::string> font_cell(const host::PodImage& glyph) {
  std::vector<std::string> rows;
  for (int row = 0; row < 6; row++) {
    std::string text;
    for (int column = 0; column < 4; column++) {
      const bool inside = column < glyph.width && row < glyph.height;
      text += inside && glyph.pixels[size_t(row * glyph.width + column)] != 0 ? '1' : '0';
    }
    rows.push_back(text);
  }
  return rows;
}

TEST_F(CartridgeRun, PrintedLettersAreTheDataFilesGlyphs) {
  std::vector<std::vector<std::string>> cells;
  after_frame = [&](int, Console& running) {
    cells = {printed_cell(*running.machine, 0, 0), printed_cell(*running.machine, 4, 0),
             printed_cell(*running.machine, 8, 0)};
  };
  run_code("cls() print(\"ag#\", 0, 0, 7)\nfunction _draw() end\n", 2);
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[0], font_cell(console.app.data.font['a']));
  EXPECT_EQ(cells[1], font_cell(console.app.data.font['g']));
  EXPECT_EQ(cells[2], font_cell(console.app.data.font['#']));
  EXPECT_NE(cells[0], cells[1]);
}

TEST_F(CartridgeRun, APacedPrintHoldsTheProgramUntilItsLastCharacter) {
  // Per frame: whether the fourth letter is drawn yet, and whether the
  // program went on past the print (it pokes a marker).
  std::vector<std::pair<bool, int>> frames;
  after_frame = [&](int, Console& running) {
    bool fourth_drawn = printed_cell(*running.machine, 12, 0) != std::vector<std::string>(6, "0000");
    frames.emplace_back(fourth_drawn, machine::read_memory_byte(*running.machine, 0x4300));
  };
  run_code("cls() poke(0x4300, 0) print(\"\\^d2xxxx\", 0, 0, 7) poke(0x4300, 1)\n"
           "function _draw() end\n",
           12);
  ASSERT_EQ(frames.size(), 12u);
  EXPECT_EQ(frames.front(), std::make_pair(false, 0));
  EXPECT_EQ(frames.back(), std::make_pair(true, 1));
  for (const auto& [fourth_drawn, marker] : frames) {
    // The program never runs on while letters are still to come.
    if (marker == 1) {
      EXPECT_TRUE(fourth_drawn);
    }
  }
  int waiting_frames = 0;
  for (const auto& frame : frames) waiting_frames += frame.second == 0 ? 1 : 0;
  EXPECT_GE(waiting_frames, 6);  // two frames after each of the first three letters
}

// The first sound-effect channel that plays `effect`, or -1.
int channel_playing(Console& console, const audio::SoundEffect* effect) {
  for (int channel = 0; channel < 4; channel++)
    if (audio::channel_effect(*console.audio, channel) == effect) return channel;
  return -1;
}

TEST_F(CartridgeRun, PrintedSoundCommandsPlayOnTheConsolesChannels) {
  int beep_channel = -2;
  after_frame = [&](int frame, Console& running) {
    if (frame == 0) beep_channel = channel_playing(running, running.print_beep.get());
  };
  run_code("print(\"\\a\")\nfunction _draw() end\n", 1);
  EXPECT_GE(beep_channel, 0);
  EXPECT_EQ(console.print_beep->speed, 16);
  ruvo_exit(console);

  // Notes written out go to the highest free slot from 63 down.
  int defined_channel = -2;
  after_frame = [&](int frame, Console& running) {
    if (frame == 0) defined_channel = channel_playing(running, &running.machine->sound_effects[63]);
  };
  run_code("print(\"\\as9ceg\")\nfunction _draw() end\n", 1);
  EXPECT_GE(defined_channel, 0);
  EXPECT_EQ(console.machine->sound_effects[63].speed, 9);
}

}  // namespace
}  // namespace tamori::shell::testing
