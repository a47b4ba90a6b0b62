#include "shell/main_loop.h"

#include <gtest/gtest.h>

#include "console_fixture.h"
#include "host/clock.h"
#include "host/files.h"
#include "host/scancodes.h"
#include "machine/memory.h"
#include "shell/console_text.h"
#include "shell/key_config_screen.h"
#include "shell/main_draw.h"
#include "shell/message_bar.h"

namespace tamori::shell {
namespace {

TEST(FrameAccumulator, LongGapsGiveAtMostOneOrTwoTicks) {
  // The first iteration's gap of 72,000,000 ms is clamped to 32 s.
  EXPECT_EQ(advance_frame_accumulator(0, 72000000, 30, 30), 0x1ffff);
  EXPECT_EQ(advance_frame_accumulator(0, 72000000, 60, 60), 0x20000);
  EXPECT_EQ(advance_frame_accumulator(0, 33, 30, 30), (33 * 65536 / 1000) * 30);
  EXPECT_EQ(advance_frame_accumulator(0, -50, 30, 30), 0);
  EXPECT_EQ(advance_frame_accumulator(0x8000, 0, 30, 30), 0x8000);
}

TEST(SkipDraw, BoundsForSleepSettings) {
  EXPECT_EQ(skip_draw_bound(0), 10000);
  EXPECT_EQ(skip_draw_bound(-5), 10000);
  EXPECT_EQ(skip_draw_bound(10), 10);
  EXPECT_EQ(skip_draw_bound(2), 50);
  EXPECT_EQ(skip_draw_bound(200), 2);
}

TEST(TickDue, MillisecondsUntilAWholeTickIsOwed) {
  struct Case {
    int32_t accumulator;
    int tick_rate, current_fps;
    int32_t ms;
  };
  // 17 ms add 1114 units per tick of rate, 16 ms only 1048.
  for (const Case& c : {Case{0, 30, 30, 34}, Case{0x8000, 30, 30, 17}, Case{0, 60, 60, 17}, Case{0xfff0, 60, 60, 1},
                        Case{0x10000, 30, 30, 0}, Case{0x1ffff, 30, 30, 0}, Case{0, 15, 15, 67}}) {
    SCOPED_TRACE(c.accumulator);
    EXPECT_EQ(ms_until_tick_owed(c.accumulator, c.tick_rate, c.current_fps), c.ms);
    if (c.ms > 0) {
      EXPECT_LT(advance_frame_accumulator(c.accumulator, c.ms - 1, c.tick_rate, c.current_fps), 0x10000);
    }
  }
}

TEST(Volume, HotKeyStepsAndBar) {
  EXPECT_EQ(volume_up(256), 256);
  EXPECT_EQ(volume_up(100), 132);
  EXPECT_EQ(volume_down(20), 0);
  EXPECT_EQ(volume_down(256), 224);
  EXPECT_EQ(volume_down(1000), 256);
  std::string bar = volume_bar_text(100);
  EXPECT_EQ(bar, std::string(" volume:   ") + "\x10\x10\x10-----" + "   (ctrl-/+)");
}

TEST(MessageBarTiming, ExtraThousandLastsFourteenHundredAndSlides) {
  MessageBar bar;
  show_message(bar, "hello", 1000, 5000);
  EXPECT_TRUE(message_visible(bar, 5000));
  EXPECT_TRUE(message_visible(bar, 6399));
  EXPECT_FALSE(message_visible(bar, 6400));
  EXPECT_EQ(message_slide(bar, 5000), 10);
  EXPECT_EQ(message_slide(bar, 5100), 5);
  EXPECT_EQ(message_slide(bar, 5200), 0);
  EXPECT_EQ(message_slide(bar, 6000), 0);
  EXPECT_EQ(message_slide(bar, 6200), 0);
  EXPECT_EQ(message_slide(bar, 6300), 5);
  EXPECT_EQ(message_slide(bar, 6390), 9);
}

TEST(MessageBarTiming, HoverHintWaitsForTimedMessages) {
  MessageBar bar;
  show_message(bar, "timed", 0, 1000);
  show_message_hover(bar, "hint %d", 1, 0, 1100);
  EXPECT_TRUE(bar.hover_text.empty());
  show_message_hover(bar, "hint %d", 2, 0, 2000);
  EXPECT_EQ(bar.hover_text, "hint 2");
}

using MainLoop = HeadlessConsole;

TEST_F(MainLoop, FirstIterationRunsExactlyOneTick) {
  ASSERT_FALSE(start_stopped());
  int32_t before = console.pstate.frame_counter;
  ruvo_main_iteration(console);
  EXPECT_EQ(console.pstate.frame_counter - before, 1);
  EXPECT_EQ(console.pstate.console_mode, kModeStopped);
  EXPECT_EQ(console.pstate.current_fps, 30);
}

TEST_F(MainLoop, TicksFollowTheClockAtThirtyPerSecond) {
  ASSERT_FALSE(start({"-foreground_sleep_ms", "1"}));
  ruvo_main_iteration(console);
  int32_t before = console.pstate.frame_counter;
  for (int i = 0; i < 10000; i++) ruvo_main_iteration(console);  // 1 ms each: 10 s
  // Each millisecond adds 65536 / 1000 = 65 (truncated) times 30, a little under 1/30 of a tick.
  EXPECT_NEAR(console.pstate.frame_counter - before, 10000 * 65 * 30 / 65536.0, 1.0);
}

// Counts drawn iterations among `count` idle ones after a tick.
int drawn_after_tick(Console& console, int count) {
  int drawn = 0;
  for (int i = 0; i < count; i++) {
    int before = console.app.draw_count;
    ruvo_main_iteration(console);
    drawn += console.app.draw_count - before;
  }
  return drawn;
}

TEST_F(MainLoop, WithSleepTenTheFirstTenIdleIterationsSkipDrawing) {
  ASSERT_FALSE(start({"-foreground_sleep_ms", "10"}));
  ruvo_main_iteration(console);  // draws (a tick was owed)
  // 10 ms per iteration: a tick every 3.33 iterations, each owing >= half a tick...
  // so freeze time instead: iterations with no time passing owe nothing.
  host::ruvo_set_clock(host::Clock{[](void* t) { return static_cast<host::VirtualTime*>(t)->now_ms; },
                                   [](void*, int) {}, &time});
  EXPECT_EQ(drawn_after_tick(console, 10), 0);
  EXPECT_EQ(drawn_after_tick(console, 5), 5);
}

TEST_F(MainLoop, WithSleepZeroUpToTenThousandIdleIterationsSkip) {
  ASSERT_FALSE(start({"-foreground_sleep_ms", "0"}));
  ruvo_main_iteration(console);
  EXPECT_EQ(drawn_after_tick(console, 10000), 0);
  EXPECT_EQ(drawn_after_tick(console, 3), 3);
}

// With a window the loop sleeps until the next tick is due, so every
// iteration runs one tick and draws it; headless it sleeps the setting.
TEST_F(MainLoop, WindowedIterationsSleepUntilTheNextTick) {
  ASSERT_FALSE(start_stopped());
  console.app.headless = false;
  ruvo_main_iteration(console);
  const int32_t start_ms = time.now_ms;
  for (int i = 0; i < 30; i++) {
    const int32_t ticks = console.pstate.frame_counter, draws = console.app.draw_count;
    ruvo_main_iteration(console);
    EXPECT_EQ(console.pstate.frame_counter - ticks, 1) << i;
    EXPECT_EQ(console.app.draw_count - draws, 1) << i;
  }
  // The first iteration left nearly a whole tick owed: 30 ticks in 29 gaps.
  EXPECT_NEAR(time.now_ms - start_ms, 29 * 1000 / 30, 3);
  console.app.headless = true;
  const int32_t before = time.now_ms;
  ruvo_main_iteration(console);
  EXPECT_EQ(time.now_ms - before, 2) << "the foreground sleep setting";
}

TEST_F(MainLoop, AnyButtonOfPlayerZeroEndsTheStoppedConsole) {
  ASSERT_FALSE(start_stopped());
  ruvo_main_iteration(console);
  EXPECT_FALSE(console.app.quit);
  host::keys_host_down(console.app.keys, host::scancode::P);  // pause is not one of buttons 0..5
  ruvo_main_iteration(console);
  EXPECT_FALSE(console.app.quit);
  host::keys_host_down(console.app.keys, host::scancode::X);
  ruvo_main_iteration(console);
  EXPECT_TRUE(console.app.quit);
}

TEST_F(MainLoop, TicksReadTheButtonsIntoMemory) {
  ASSERT_FALSE(start_stopped());
  host::keys_host_down(console.app.keys, host::scancode::Z);
  ruvo_main_iteration(console);
  EXPECT_EQ(machine::read_memory_byte(*console.machine, 0x5f4c), 1 << 4);
  host::keys_host_up(console.app.keys, host::scancode::Z);
  time.now_ms += 34;
  ruvo_main_iteration(console);
  EXPECT_EQ(machine::read_memory_byte(*console.machine, 0x5f4c), 0);
}

TEST_F(MainLoop, ButtonRepeatFollowsTheProgramsRateNotTheGovernedOne) {
  ASSERT_FALSE(start());
  // A 60 fps program that the governor holds at 30 keeps its repeat times.
  console.pstate.requested_fps = 60;
  console.pstate.current_fps = 30;
  host::keys_host_down(console.app.keys, host::scancode::Z);
  host::keys_update(console.app.keys, host::ruvo_get_time_ms());
  update_console_buttons(console);
  EXPECT_EQ(console.input.buttons.repeat_counter[4], 15 * 60 / 30 + 1);
}

TEST_F(MainLoop, ControllerChangesShowOnTheMessageBarOutsideTheBoot) {
  ASSERT_FALSE(start_stopped());
  input::connect_controller(console.input.controllers, 5, "pad");
  ruvo_main_iteration(console);
  EXPECT_EQ(console.app.message.text, "joystick 0 connected");
  EXPECT_EQ(console.app.message.end_ms - console.app.message.start_ms, 1400);
  EXPECT_TRUE(console.input.controllers.notices.empty());
  console.pstate.console_mode = kModeBooting;
  input::disconnect_controller(console.input.controllers, 5);
  ruvo_main_iteration(console);
  EXPECT_EQ(console.app.message.text, "joystick 0 connected") << "dropped during the boot";
  EXPECT_TRUE(console.input.controllers.notices.empty());
}

TEST_F(MainLoop, SerialOverflowMessageShowsForOneSecond) {
  ASSERT_FALSE(start());
  console.input.serial.pending_message = "serial buffer overflow";
  console.input.serial.pending_message_ms = 1000;
  ruvo_main_iteration(console);
  EXPECT_EQ(console.app.message.text, "serial buffer overflow");
  EXPECT_EQ(console.app.message.end_ms - console.app.message.start_ms, 1000);
  EXPECT_TRUE(console.input.serial.pending_message.empty());
}

TEST_F(MainLoop, PointerLocksOnlyForARunningUnpausedProgramThatAsks) {
  ASSERT_FALSE(start());
  machine::write_memory_byte(*console.machine, 0x5f2d, 5);
  EXPECT_FALSE(should_be_pointer_locked(console)) << "stopped";
  console.pstate.console_mode = kModeRunning;
  EXPECT_TRUE(should_be_pointer_locked(console));
  console.pstate.pause_state = 1;
  EXPECT_FALSE(should_be_pointer_locked(console));
  console.pstate.pause_state = 0;
  machine::write_memory_byte(*console.machine, 0x5f2d, 4);
  EXPECT_FALSE(should_be_pointer_locked(console)) << "bit 0 is needed too";
}

TEST_F(MainLoop, VolumeHotKeys) {
  ASSERT_FALSE(start());
  auto press_with_ctrl = [&](int key) {
    host::keys_host_down(console.app.keys, host::scancode::LeftCtrl);
    host::keys_host_down(console.app.keys, key);
    ruvo_main_iteration(console);
    host::keys_host_up(console.app.keys, key);
    host::keys_host_up(console.app.keys, host::scancode::LeftCtrl);
    ruvo_main_iteration(console);
  };
  host::ruvo_config().sound_volume = 256;
  press_with_ctrl(host::scancode::Equals);
  EXPECT_EQ(host::ruvo_config().sound_volume, 256);
  EXPECT_EQ(console.app.message.text.substr(0, 11), " volume:   ");
  EXPECT_EQ(console.app.message.end_ms - console.app.message.start_ms, 2900);  // start set 1000 ms back
  host::ruvo_config().sound_volume = 20;
  press_with_ctrl(host::scancode::Minus);
  EXPECT_EQ(host::ruvo_config().sound_volume, 0);
  console.app.last_volume = 0;
  press_with_ctrl(host::scancode::M);
  EXPECT_EQ(host::ruvo_config().sound_volume, 256);
  EXPECT_EQ(console.app.message.text, "sound on (ctrl-m)");
  press_with_ctrl(host::scancode::M);
  EXPECT_EQ(host::ruvo_config().sound_volume, 0);
  EXPECT_EQ(console.app.message.text, "sound off (ctrl-m)");
  press_with_ctrl(host::scancode::M);
  EXPECT_EQ(host::ruvo_config().sound_volume, 256);  // the remembered volume
}

TEST_F(MainLoop, StoppedScreenShowsTheExitBar) {
  ASSERT_FALSE(start_stopped());
  ruvo_main_iteration(console);
  const machine::BackPage& page = console.app.back_page;
  ASSERT_EQ(page.width, 128);
  auto pixel = [&](int x, int y) { return page.pixels[size_t(y) * 128 + x]; };
  EXPECT_EQ(pixel(0, 120), 0);
  EXPECT_EQ(pixel(0, 121), 6);
  EXPECT_EQ(pixel(127, 127), 6);
  int text_pixels = 0;
  for (int y = 122; y < 127; y++)
    for (int x = 0; x < 128; x++) text_pixels += pixel(x, y) == 1;
  EXPECT_GT(text_pixels, 40);  // " stopped. press button to exit" in colour 1
}

TEST_F(MainLoop, KeyConfigurationOnTheStoppedScreenTakesKeysUntilEscape) {
  ASSERT_FALSE(start_stopped());
  ruvo_main_iteration(console);
  open_key_config(console);
  auto iterate = [&]() {
    time.now_ms += 34;
    ruvo_main_iteration(console);
  };
  iterate();  // every key up: the screen is ready
  EXPECT_EQ(console.app.back_page.pixels[0], 7) << "the title strip instead of the console text";
  EXPECT_EQ(console.app.back_page.pixels[size_t(124) * 128 + 4], 6) << "the panel instead of the exit bar";
  host::keys_host_down(console.app.keys, host::scancode::X);
  iterate();
  EXPECT_FALSE(console.app.quit) << "a button goes to the screen, not to the exit";
  EXPECT_EQ(console_settings().button_keys[0], host::scancode::X);
  host::keys_host_up(console.app.keys, host::scancode::X);
  iterate();
  host::keys_host_down(console.app.keys, host::scancode::Escape);
  iterate();
  EXPECT_FALSE(console.input.key_config.open);
  EXPECT_EQ(console_settings().button_keys[0], 0) << "cancelled";
  EXPECT_FALSE(console.app.quit);
  host::keys_host_down(console.app.keys, host::scancode::X);
  iterate();
  EXPECT_TRUE(console.app.quit);
}

TEST_F(MainLoop, MissingDataFileEndsWithStatusZero) {
  data_folder = home.string() + "/empty-program-folder";
  testing::internal::CaptureStdout();
  std::optional<int> status = start();
  std::string out = testing::internal::GetCapturedStdout();
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(out, "couldn't load " + data_folder + "/data.pod\n");
}

TEST_F(MainLoop, BadSettingsFileStartsWithSaneValues) {
  std::filesystem::create_directories(home);
  std::string garbage = "sound_volume 123456\nforeground_sleep_ms -80\n";
  for (int i = 0; i < 5000; i++) garbage += char(i * 37 % 256);
  garbage += "\nscreenshot_scale 99999\n" + std::string(3000, 'x') + "\n";
  ASSERT_TRUE(host::write_file(home.string() + "/config.txt", garbage));
  ASSERT_FALSE(start());
  EXPECT_EQ(host::ruvo_config().sound_volume, 256);
  EXPECT_EQ(host::ruvo_config().foreground_sleep_ms, 0);
  EXPECT_LE(console_settings().screenshot_scale, 16);
  for (int i = 0; i < 100; i++) ruvo_main_iteration(console);
}

TEST_F(MainLoop, SettingsAreSavedAtExitAndSessionsCounted) {
  ASSERT_FALSE(start());
  int sessions = host::ruvo_config().sessions;
  ruvo_exit(console);
  auto saved = host::read_file(home.string() + "/config.txt");
  ASSERT_TRUE(saved);
  std::string text(saved->begin(), saved->end());
  EXPECT_NE(text.find("sessions " + std::to_string(sessions)), std::string::npos);
  host::ruvo_config_reset_for_tests();
  ASSERT_FALSE(start());
  EXPECT_EQ(host::ruvo_config().sessions, sessions + 1);
}

TEST(ConsoleText, LinesWrapAtThirtyTwoAndScrollPastTheBottom) {
  ConsoleTextScreen screen;
  machine::Font font;
  for (auto& glyph : font) glyph = host::PodImage{4, 6, std::vector<uint8_t>(24, 1)};
  EXPECT_EQ(console_print(screen, font, std::string(40, 'a'), 7), 0);
  EXPECT_EQ(screen.cursor_y, 12);
  EXPECT_EQ(screen.pixels[6 * 128 + 4 * 8 - 1], 7);   // second line holds 8 glyphs
  EXPECT_EQ(screen.pixels[6 * 128 + 4 * 8], 0);
  int cycles = 0;
  for (int line = 0; line < 30; line++) cycles += console_print(screen, font, "x", 5);
  // Lines land at 12..120; from the line at 120 on, each line scrolls once.
  EXPECT_EQ(screen.cursor_y, 120);
  EXPECT_EQ(cycles, 12 * 0x20000);
  EXPECT_EQ(screen.pixels[114 * 128 + 1], 5);  // the last line printed, scrolled up
  EXPECT_EQ(screen.pixels[120 * 128 + 1], 0);
}

}  // namespace
}  // namespace tamori::shell
