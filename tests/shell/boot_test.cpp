// The boot sequence frame by frame, headless: what the console text screen
// shows at the frames of the timeline, the hold for the boot cursor, and
// which cartridge runs at the end.
#include "shell/boot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "audio/sfx_playback.h"
#include "cart/code_compress.h"
#include "cart/share_address.h"
#include "console_fixture.h"
#include "golden_picture.h"
#include "host/config.h"
#include "machine/interface_text.h"
#include "shell/main_loop.h"

namespace tamori::shell {
namespace {

class Boot : public HeadlessConsole {
 protected:
  // One tick per iteration: 10 ms owes a third of a tick at 30 fps.
  void run_until_frame(int32_t frame) {
    for (int guard = 0; console.pstate.frame_counter < frame && guard < 100000; guard++) {
      time.now_ms += 10;
      ruvo_main_iteration(console);
    }
  }
  uint8_t pixel(int x, int y) const { return console.app.console_text.pixels[size_t(y * 128 + x)]; }
  // The console line at `y` holds exactly `text` in `colour`.
  bool line_shows(int y, const std::string& text, uint8_t colour) const {
    machine::Picture expected{};
    machine::draw_interface_text({expected.data(), 128, 128}, console.app.data.font, text, 0, y, colour);
    for (int row = y; row < y + 6; row++)
      for (int x = 0; x < 128; x++)
        if (pixel(x, row) != expected[size_t(row * 128 + x)]) return false;
    return true;
  }
  std::string cartridge(const std::string& name) const {
    return std::string(TAMORI_SOURCE_DIR) + "/../assets/carts/" + name;
  }
};

TEST_F(Boot, TimelinePicturesAndText) {
  ASSERT_FALSE(start());
  EXPECT_EQ(console.pstate.console_mode, kModeBooting);
  EXPECT_EQ(console.pstate.frame_counter, kBootFirstFrame);
  host::ruvo_config().sound_volume = 256;

  run_until_frame(-2);  // after frame -3: noise on every eighth pixel
  for (int y : {0, 40, 100, 127}) {
    EXPECT_GE(pixel(8, y), y / 32);
    EXPECT_LE(pixel(8, y), y / 32 + 3);
    EXPECT_EQ(pixel(9, y), 0);
  }
  run_until_frame(1);  // frame 0: bands of 6..13 on even rows
  EXPECT_EQ(pixel(50, 0), 6);
  EXPECT_EQ(pixel(50, 126), 13);
  EXPECT_EQ(pixel(50, 1), 0);
  run_until_frame(4);  // frame 3: sparks of 10..13
  EXPECT_GE(pixel(0, 3), 10);
  EXPECT_LE(pixel(0, 3), 13);
  run_until_frame(9);  // frame 8: only every fourth row is left
  for (int x = 0; x < 128; x++) EXPECT_EQ(pixel(x, 2), 0);
  int kept = 0;
  for (int x = 0; x < 128; x++) kept += pixel(x, 4) != 0;
  EXPECT_GT(kept, 0);
  run_until_frame(12);  // frame 11: clear
  for (uint8_t colour : console.app.console_text.pixels) ASSERT_EQ(colour, 0);

  run_until_frame(27);  // frame 26: the boot sound plays
  bool boot_sound_playing = false;
  for (int channel = 0; channel < 4; channel++)
    boot_sound_playing |= audio::channel_effect(*console.audio, channel) == console.boot_sound.get();
  EXPECT_TRUE(boot_sound_playing);
  EXPECT_NE(console.boot_sound->notes[0].volume, 0) << "the data file's boot effect was read";

  run_until_frame(37);
  EXPECT_TRUE(line_shows(12, "tamori 0.2.7", 6));
  EXPECT_TRUE(line_shows(18, "(c) 2026 the tamori makers", 6));
  EXPECT_TRUE(line_shows(24, "", 6));
  EXPECT_TRUE(line_shows(30, "booting cartridge..", 6));

  // Frame 76 boots the head cartridge; the next iteration runs it.
  run_until_frame(77);
  EXPECT_EQ(console.pstate.pending_action, kActionRun);
  run_until_frame(78);
  EXPECT_EQ(console.pstate.console_mode, kModeRunning);
  EXPECT_EQ(console.working.file_name, "launcher.tm");
  EXPECT_GE(console.embedded_carts.mounted.size(), size_t(7));
}

// What a person sees first: the head cartridge's first screen after the
// boot, the same picture as the launcher run on its own.
TEST_F(Boot, EndsOnTheLaunchersFirstScreen) {
  random_seed = 1;
  ASSERT_FALSE(start());
  run_until_frame(77);
  ASSERT_EQ(console.pstate.pending_action, kActionRun);
  time.now_ms += 10;
  ruvo_main_iteration(console);
  ASSERT_EQ(console.pstate.console_mode, kModeRunning);
  const int32_t launcher_start = console.pstate.frame_counter;
  run_until_frame(launcher_start + 40);
  testing::expect_golden_picture(testing::screen_picture(console),
                                 std::filesystem::path(TAMORI_TEST_DATA_DIR) / "shell/data/launcher_first_screen.png",
                                 std::filesystem::path(TAMORI_BUILD_DIR) / "scene_mismatches", "launcher_after_boot");
}

TEST_F(Boot, HoldsForTheCursorOnlyWhenTheSoundIsOff) {
  for (int volume : {256, 0}) {
    ruvo_exit(console);
    host::ruvo_config_reset_for_tests();
    ASSERT_FALSE(start());
    host::ruvo_config().sound_volume = volume;
    run_until_frame(33);
    int ticks_at_33 = 0;
    bool cursor_seen_at_2 = false;
    for (int tick = 0; tick < 40 && console.pstate.frame_counter == 33; tick++) {
      const int32_t before = console.pstate.frame_counter;
      time.now_ms += 34;
      ruvo_main_iteration(console);
      if (console.pstate.frame_counter == before) {
        ticks_at_33++;
        for (int y = 28; y < 38; y++) cursor_seen_at_2 |= pixel(2, y) != 0 || pixel(4, y) != 0;
      }
    }
    EXPECT_EQ(ticks_at_33, volume == 0 ? kBootCursorHoldTicks : 0) << "volume " << volume;
    EXPECT_EQ(cursor_seen_at_2, volume == 0);
    run_until_frame(37);
    // The cursor's line and 8 pixels more push the cartridge lines down.
    EXPECT_TRUE(line_shows(volume == 0 ? 44 : 30, "booting cartridge..", 6)) << "volume " << volume;
  }
  EXPECT_EQ(boot_cursor_step(0).x, 2);
  EXPECT_EQ(boot_cursor_step(4).x, 10);
  EXPECT_EQ(boot_cursor_step(4).dy, 2);
  EXPECT_EQ(boot_cursor_step(11).x, 18);
  EXPECT_EQ(boot_cursor_step(19).x, 26);
  EXPECT_EQ(boot_cursor_step(19).dy, -2);
}

// What the frames from 36 on do with the command line's cartridge.
TEST_F(Boot, CommandLineCartridgeOutcomes) {
  struct Case {
    std::vector<std::string> arguments;
    std::vector<std::string> lines;  // from y 36 on
    int mode_at_60, mode_at_90;
    std::string running;  // the working cartridge's file name ends so
  };
  const std::string text_cart = cartridge("text.tm");
  const std::vector<Case> cases = {
      {{"-run", text_cart}, {"booting cartridge..", ""}, kModeBooting, kModeRunning, "/text.tm"},
      {{text_cart}, {"loading " + text_cart.substr(0, 24)}, kModeStopped, kModeStopped, "/text.tm"},
      {{"-run", "no_such_cart.tm"}, {"could not load no_such_cart.tm"}, kModeBooting, kModeRunning, "launcher.tm"},
      {{"-run", ""}, {"no boot cartridge specified"}, kModeBooting, kModeRunning, "launcher.tm"},
  };
  for (const Case& each : cases) {
    ruvo_exit(console);
    host::ruvo_config_reset_for_tests();
    ASSERT_FALSE(start(each.arguments));
    run_until_frame(37);
    for (size_t line = 0; line < each.lines.size(); line++)
      EXPECT_TRUE(line_shows(36 + 6 * int(line), each.lines[line], 6)) << each.lines[line];
    run_until_frame(60);
    EXPECT_EQ(console.pstate.console_mode, each.mode_at_60) << each.lines[0];
    run_until_frame(90);
    EXPECT_EQ(console.pstate.console_mode, each.mode_at_90) << each.lines[0];
    EXPECT_TRUE(console.working.file_name.ends_with(each.running)) << console.working.file_name;
  }
}

TEST_F(Boot, ASharedLinkCartridgeRunsInsteadOfTheHeadCartridge) {
  const std::string code = "function _draw() cls(2) end";
  ASSERT_FALSE(start({"-url_code", cart::share_base64(cart::compress_code(code)), "-url_gfx", "AC"}));
  run_until_frame(90);
  EXPECT_EQ(console.pstate.console_mode, kModeRunning);
  EXPECT_EQ(console.working.cartridge->code, code);
  EXPECT_EQ(console.working.cartridge->sprite_sheet[1], 2);
  EXPECT_EQ(console.working.file_name, "");
}

TEST_F(Boot, WithoutAHeadCartridgeTheBootTextStays) {
  ASSERT_FALSE(start());
  console.app.data.embedded_carts.clear();
  run_until_frame(150);
  EXPECT_EQ(console.pstate.console_mode, kModeBooting);
  EXPECT_TRUE(line_shows(36, "head cart not found", 6));
  EXPECT_TRUE(line_shows(12, "tamori 0.2.7", 6));
}

TEST_F(Boot, WarnsWhenTheCartridgeFolderCannotBeMade) {
  ASSERT_FALSE(start());
  std::filesystem::remove_all(home / "carts");
  std::ofstream(home / "carts") << "a file where the folder should be";
  run_until_frame(37);
  EXPECT_TRUE(line_shows(36, "** warning: no permanent storage", 8));
}

TEST_F(Boot, RebootPlaysTheBootAgain) {
  ASSERT_FALSE(start());
  run_until_frame(80);
  ASSERT_EQ(console.pstate.console_mode, kModeRunning);
  console.commands.current_folder = "games";
  console.pstate.pending_action = kActionReboot;
  time.now_ms += 10;
  ruvo_main_iteration(console);
  EXPECT_EQ(console.pstate.console_mode, kModeBooting);
  EXPECT_FALSE(console.pstate.program_running);
  EXPECT_EQ(console.commands.current_folder, "");
  EXPECT_TRUE(console.working.file_name.empty());
  run_until_frame(80);
  EXPECT_EQ(console.pstate.console_mode, kModeRunning);
  EXPECT_EQ(console.working.file_name, "launcher.tm");
}

}  // namespace
}  // namespace tamori::shell
