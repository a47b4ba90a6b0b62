// The pause menu over running cartridges, driven by scripted buttons: how it
// opens (including the emergency hold), its keys, the options page, the
// picture it draws and the sound it pauses. The cartridges under
// data/carts/pause_*.lua cover the cartridge items' reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cartridge_run_fixture.h"
#include "host/config.h"
#include "input/keyboard_bindings.h"
#include "runner/program_runner.h"
#include "runner/run_chain.h"
#include "shell/headless_sound.h"
#include "shell/pause_menu.h"
#include "shell/pause_menu_draw.h"

namespace tamori::shell {
namespace {

using testing::CartridgeRun;
using PauseMenuRun = CartridgeRun;

constexpr uint8_t kPause = 1 << input::kPauseButton;
constexpr uint8_t kLeft = 1, kRight = 2, kUp = 4, kDown = 8, kO = 16;

const char* const kIdleCart = "function _update() end function _draw() cls(8) end\n";

// Presses each button for one frame from the given frame on, one frame
// apart: {3, pause} holds pause on frame 3 and releases it on frame 4.
ButtonScript taps(std::initializer_list<std::pair<int, uint8_t>> presses) {
  ButtonScript script;
  for (auto [frame, buttons] : presses) {
    script[frame][0] = buttons;
    if (!script.count(frame + 1)) script[frame + 1][0] = 0;
  }
  return script;
}

std::string selected_label(const Console& console) {
  const PauseMenu& menu = console.pause;
  return menu.items.empty() ? "" : menu.items[size_t(menu.selection)].label;
}

std::filesystem::path write_cart(const std::filesystem::path& home, const std::string& code) {
  std::filesystem::path path = home / "cart.lua";
  std::ofstream(path, std::ios::binary) << code;
  return path;
}

TEST_F(PauseMenuRun, PauseButtonOpensTheMainPageWithItsItemsInOrder) {
  std::vector<std::string> labels;
  after_frame = [&](int frame, Console& c) {
    if (frame == 4)
      for (const PausedMenuItem& item : c.pause.items) labels.push_back(item.label);
  };
  const std::string code = std::string("menuitem(2, 'second') menuitem(1, 'a label longer than sixteen')\n") + kIdleCart;
  run_file(write_cart(home, code).string(), 6, taps({{3, kPause}}));
  EXPECT_EQ(labels, (std::vector<std::string>{"continue", "a label longer t", "second", "options", "reset cart",
                                              "quit"}));
}

// Up from "continue" wraps to the last item, down from there back again.
TEST_F(PauseMenuRun, UpAndDownWrapAround) {
  std::vector<std::string> seen;
  after_frame = [&](int frame, Console& c) {
    if (frame == 4 || frame == 6 || frame == 8 || frame == 10) seen.push_back(selected_label(c));
  };
  run_file(write_cart(home, kIdleCart).string(), 12, taps({{3, kPause}, {6, kUp}, {8, kDown}, {10, kDown}}));
  EXPECT_EQ(seen, (std::vector<std::string>{"continue", "quit", "continue", "options"}));
}

// Holding left or right on the volume bar steps the volume by 32 and never
// leaves 8..256.
TEST_F(PauseMenuRun, VolumeBarStaysWithinItsRange) {
  struct Case {
    uint8_t button;
    int start;
    int expected;
  };
  for (const Case& test : {Case{kLeft, 256, 8}, Case{kRight, 40, 256}}) {
    SCOPED_TRACE(test.expected);
    host::ruvo_config_reset_for_tests();
    int lowest = 1000, highest = 0;
    std::string label;
    after_frame = [&](int frame, Console& c) {
      if (frame == 2) host::ruvo_config().sound_volume = test.start;
      if (frame < 14) return;
      const int volume = host::ruvo_config().sound_volume;
      lowest = std::min(lowest, volume);
      highest = std::max(highest, volume);
      label = selected_label(c);
    };
    // Pause, down to "options", O, down to the volume bar, then hold.
    ButtonScript script = taps({{3, kPause}, {6, kDown}, {8, kO}, {10, kDown}});
    script[14][0] = test.button;
    run_file(write_cart(home, kIdleCart).string(), 90, script);
    EXPECT_EQ(label.substr(0, 8), "volume: ");
    EXPECT_EQ(host::ruvo_config().sound_volume, test.expected);
    EXPECT_GE(lowest, 8);
    EXPECT_LE(highest, 256);
    EXPECT_EQ(console.app.last_volume, test.expected);
    ruvo_exit(console);
  }
}

// The options page's sound item mutes and unmutes; the volume bar's cells
// change from solid to hollow while muted.
TEST_F(PauseMenuRun, OptionsPageSoundItemTogglesMute) {
  std::vector<std::string> sound_labels, volume_labels;
  after_frame = [&](int frame, Console& c) {
    if (frame != 9 && frame != 11 && frame != 13) return;
    sound_labels.push_back(c.pause.items.at(0).label);
    volume_labels.push_back(c.pause.items.at(1).label);
  };
  run_file(write_cart(home, kIdleCart).string(), 14, taps({{3, kPause}, {6, kDown}, {8, kO}, {10, kO}, {12, kO}}));
  EXPECT_EQ(sound_labels, (std::vector<std::string>{"sound:on", "sound:off", "sound:on"}));
  const std::string solid(8, char(16)), hollow(8, char(18));
  EXPECT_EQ(volume_labels, (std::vector<std::string>{"volume: " + solid, "volume: " + hollow, "volume: " + solid}));
}

// The console actions of the main page: restarting the cartridge, going
// back along the run chain and quitting.
TEST_F(PauseMenuRun, MainPageActionsRestartGoBackAndQuit) {
  struct Case {
    const char* name;
    ButtonScript script;
    const char* expected_output;
    bool quits;
  };
  const Case cases[] = {
      {"reset cart", taps({{3, kPause}, {5, kDown}, {7, kDown}, {9, kO}}), "init\ninit\n", false},
      {"breadcrumb", taps({{3, kPause}, {5, kUp}, {7, kUp}, {9, kO}}), "init\nother runs\n", false},
      {"quit", taps({{3, kPause}, {5, kUp}, {7, kO}}), "init\n", true},
  };
  const std::filesystem::path other = home / "other.lua";
  std::ofstream(other, std::ios::binary) << "printh('other runs') function _update() end\n";
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const bool breadcrumb = std::string(test.name) == "breadcrumb";
    std::vector<std::string> labels;
    after_frame = [&](int frame, Console& c) {
      if (frame == 1 && breadcrumb) runner::run_chain_push(runner::program_runner().run_chain, other.string(), "to other", 0);
      if (frame == 4)
        for (const PausedMenuItem& item : c.pause.items) labels.push_back(item.label);
    };
    const std::string code = std::string("function _init() printh('init') end\n") + kIdleCart;
    HeadlessRunResult result = run_file(write_cart(home, code).string(), 40, test.script);
    EXPECT_EQ(result.standard_output, test.expected_output);
    EXPECT_EQ(result.quit, test.quits);
    if (test.quits) {
      EXPECT_EQ(result.frames_run, 8);
    }
    if (breadcrumb) {
      EXPECT_EQ(labels, (std::vector<std::string>{"continue", "options", "reset cart", "to other", "quit"}));
    }
    runner::run_chain_reset(runner::program_runner().run_chain);
    ruvo_exit(console);
  }
}

// The emergency hold: from the sixth consecutive iteration with the pause
// key down, once more than 500 ms have passed since it was last up.
TEST_F(PauseMenuRun, EmergencyHoldOpensAfterSixIterationsAndHalfASecond) {
  struct Case {
    int step_ms;
    int release_at;  // iteration at which the key is up for once; 0 never
    int opens_at;
  };
  const Case cases[] = {{33, 0, 16}, {100, 0, 6}, {1000, 0, 6}, {50, 0, 11}, {100, 4, 10}};
  for (const Case& test : cases) {
    SCOPED_TRACE(::testing::Message() << test.step_ms << " ms, released at " << test.release_at);
    run_file(write_cart(home, "while true do end\n").string(), 2);
    ASSERT_EQ(console.pstate.pause_state, 0);
    int32_t now = 5000;
    update_emergency_paused_menu(console, now, true);
    int opened = 0;
    for (int iteration = 1; iteration <= 40 && !opened; iteration++) {
      now += test.step_ms;
      console.input.scripted_held[0] = iteration == test.release_at ? 0 : kPause;
      update_emergency_paused_menu(console, now, true);
      if (console.pstate.pause_state == kPauseStateMainPage) opened = iteration;
    }
    EXPECT_EQ(opened, test.opens_at);
    ruvo_exit(console);
  }
}

// A program that loops forever inside _update still gets paused by a held
// pause key after about half a second.
TEST_F(PauseMenuRun, ProgramLoopingForeverOpensTheMenuWhenPauseIsHeld) {
  int opened_at = -1;
  after_frame = [&](int frame, Console& c) {
    if (opened_at < 0 && c.pstate.pause_state == kPauseStateMainPage) opened_at = frame;
  };
  ButtonScript script;
  script[3][0] = kPause;
  run_file(write_cart(home, "function _update() while true do end end\n").string(), 40, script);
  EXPECT_GT(opened_at, 3);
  EXPECT_LE(opened_at, 3 + 17);
  EXPECT_EQ(selected_label(console), "continue");
}

int count_colour(const machine::BackPage& page, uint8_t colour, int x0, int y0, int x1, int y1) {
  int count = 0;
  for (int y = y0; y <= y1; y++)
    for (int x = x0; x <= x1; x++) count += page.pixels[size_t(y) * size_t(page.width) + size_t(x)] == colour;
  return count;
}

// The main page's box over a screen cleared to colour 8: darkened from
// (23, 63 - h) to (104, 64 + h), outlined in 7 from (24, 64 - h) to
// (103, 63 + h), items 8 pixels apart with the pointer at the selected one.
TEST_F(PauseMenuRun, MainPageBoxOutlineItemsAndPointer) {
  for (int cart_items : {0, 5}) {
    SCOPED_TRACE(cart_items);
    std::string code;
    for (int slot = 1; slot <= cart_items; slot++) code += "menuitem(" + std::to_string(slot) + ", 'item')\n";
    machine::BackPage page;
    after_frame = [&](int frame, Console& c) {
      if (frame == 7) page = c.app.back_page;
    };
    run_file(write_cart(home, code + kIdleCart).string(), 8, taps({{3, kPause}, {5, kDown}}));
    const int n = 4 + cart_items;
    ASSERT_EQ(int(console.pause.items.size()), n);
    const int h = (8 * n + 8) / 2;
    const uint8_t darkened = 1;  // 8, two steps darker
    // Darkened box, untouched outside it.
    EXPECT_EQ(page.pixels[size_t(63 - h) * 128 + 23], darkened);
    EXPECT_EQ(page.pixels[size_t(64 + h) * 128 + 104], darkened);
    EXPECT_EQ(page.pixels[size_t(63 - h) * 128 + 22], 8);
    EXPECT_EQ(page.pixels[size_t(62 - h) * 128 + 23], 8);
    EXPECT_EQ(page.pixels[size_t(65 + h) * 128 + 104], 8);
    // The outline's four sides.
    EXPECT_EQ(count_colour(page, 7, 24, 64 - h, 103, 64 - h), 80);
    EXPECT_EQ(count_colour(page, 7, 24, 63 + h, 103, 63 + h), 80);
    EXPECT_EQ(count_colour(page, 7, 24, 64 - h, 24, 63 + h), 2 * h);
    EXPECT_EQ(count_colour(page, 7, 103, 64 - h, 103, 63 + h), 2 * h);
    // Every item has ink on its row and none between the rows; the second
    // item is selected: the pointer's tip column at x 25 is lit only there.
    for (int i = 0; i < n; i++) {
      const int y = 70 - h + 8 * i;
      EXPECT_GT(count_colour(page, 7, 34, y, 100, y + 5), 4) << "item " << i;
      EXPECT_EQ(count_colour(page, 7, 26, y + 6, 100, y + 6), 0) << "below item " << i;
      EXPECT_EQ(count_colour(page, 7, 25, y - 1, 25, y + 5), i == 1 ? 7 : 0) << "pointer at item " << i;
    }
    ruvo_exit(console);
  }
}

// The controls picture opened by extcmd: each direction of players 1 and 2
// is drawn raised, and sunk in the pressed colour while held; the pause
// button closes it.
TEST_F(PauseMenuRun, ControlsPictureShowsHeldButtonsAndClosesOnPause) {
  const std::string code = "extcmd('controls')\n" + std::string(kIdleCart);
  std::vector<machine::BackPage> pages;
  std::vector<int> states;
  after_frame = [&](int frame, Console& c) {
    if (frame == 3 || frame == 5) pages.push_back(c.app.back_page);
    states.push_back(c.pstate.pause_state);
  };
  ButtonScript script;
  script[5] = {kLeft, kDown};
  script[6] = {0, 0};
  script[8][0] = kPause;
  script[9][0] = 0;
  run_file(write_cart(home, code).string(), 11, script);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(states[3], kPauseStateControls);
  EXPECT_EQ(states[10], 0);
  constexpr uint8_t kPressed = 10;
  // Player 1's left arrow sits at (12 + 2 + 1, 26 + 8 + 12); player 2's down
  // arrow at (12 + 54 + 9, 26 + 8 + 21).
  struct Place {
    int x, y;
  };
  for (Place place : {Place{15, 46}, Place{75, 55}}) {
    EXPECT_EQ(count_colour(pages[0], kPressed, place.x, place.y, place.x + 7, place.y + 6), 0);
    EXPECT_GT(count_colour(pages[0], 7, place.x, place.y, place.x + 7, place.y + 5), 3);
    EXPECT_GT(count_colour(pages[1], kPressed, place.x, place.y, place.x + 7, place.y + 6), 3);
  }
}

// The controls picture names configured keys by their first characters.
TEST_F(PauseMenuRun, ControlsLabelsNameConfiguredKeys) {
  run_file(write_cart(home, kIdleCart).string(), 1);
  ConsoleSettings& settings = console_settings();
  settings.button_keys = {};
  EXPECT_EQ(controls_label(0, {0, 1, 2, 3}, "cursors"), "cursors");
  settings.button_keys[size_t(input::button_keys_index(0, 0))] = 4;  // a
  EXPECT_EQ(controls_label(0, {0, 1, 2, 3}, "cursors"), "a r u d");
  settings.button_keys[size_t(input::button_keys_index(1, 5))] = 29;  // z
  EXPECT_EQ(controls_label(1, {4, 5}, "tab q w"), "l z");
  settings.button_keys = {};
}

// While the menu is open the mixer is silent, unless 0x5f2f is 2; after
// "continue" the sound comes back (four frames late, as the audio pause
// fades out).
TEST_F(PauseMenuRun, SoundStopsWhileTheMenuIsOpenAndResumesAfterContinue) {
  for (int audio_pause_byte : {0, 2}) {
    SCOPED_TRACE(audio_pause_byte);
    const std::string code =
        "for i = 0, 31 do poke2(0x3200 + 2 * i, 24 | 1 << 6 | 5 << 9) end\n"
        "poke(0x3241, 8) poke(0x3242, 0) poke(0x3243, 32) poke(0x5f2f, " + std::to_string(audio_pause_byte) + ")\n"
        "sfx(0)\n" + std::string(kIdleCart);
    SoundRecording recording;
    std::vector<size_t> frame_ends;  // samples recorded by the end of each frame
    after_frame = [&](int, Console& c) {
      record_owed_sound(c, recording);
      frame_ends.push_back(recording.samples.size());
    };
    run_file(write_cart(home, code).string(), 70, taps({{10, kPause}, {40, kO}}));
    ASSERT_EQ(frame_ends.size(), 70u);
    const auto frames = [&](int first, int last) {
      return std::vector<int16_t>(recording.samples.begin() + long(frame_ends[size_t(first - 1)]),
                                  recording.samples.begin() + long(frame_ends[size_t(last)]));
    };
    EXPECT_GT(sound_rms(frames(2, 9)), 100) << "playing before the pause";
    if (audio_pause_byte == 2) EXPECT_GT(sound_rms(frames(13, 39)), 100) << "playing on while paused";
    else EXPECT_EQ(sound_peak(frames(13, 39)), 0) << "silent while paused";
    EXPECT_GT(sound_rms(frames(50, 69)), 100) << "playing after continue";
    ruvo_exit(console);
  }
}

}  // namespace
}  // namespace tamori::shell
