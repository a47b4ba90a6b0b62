// The performance monitor: what a flip records, how many samples a flip
// stands for, its line of numbers, where it draws, and the samples a
// running program leaves.
#include <gtest/gtest.h>

#include <vector>

#include "cartridge_run_fixture.h"
#include "host/scancodes.h"
#include "shell/performance_monitor.h"

namespace tamori::shell {
namespace {

TEST(PerformanceMonitor, AFlipStandsForOneTwoOrThreeSamplesByRate) {
  const struct {
    int fps;
    int samples;
  } cases[] = {{60, 1}, {30, 2}, {15, 3}, {20, 3}, {120, 1}};
  for (const auto& entry : cases) {
    PerformanceMonitor monitor;
    FrameMeasurement frame;
    frame.current_fps = frame.requested_fps = entry.fps;
    frame.cycles = 1000;
    record_flip(monitor, frame);
    int recorded = 0;
    for (const PerformanceSample& sample : monitor.samples) recorded += sample.load > 0 ? 1 : 0;
    EXPECT_EQ(recorded, entry.samples) << entry.fps << " fps";
    EXPECT_EQ(monitor.next, entry.samples);
  }
}

TEST(PerformanceMonitor, SamplesMeasureLoadMemoryAndColour) {
  FrameMeasurement frame;
  frame.requested_fps = frame.current_fps = 30;
  frame.cycles = 0x800000 / 30 / 2;  // half a frame
  frame.system_cycles = 0x800000 / 30 / 4;
  frame.memory_bytes = 0x300000;      // shown at most as 2048 KiB
  PerformanceSample sample = performance_sample(frame);
  EXPECT_EQ(sample.load, 0x8000);
  EXPECT_EQ(sample.system_load, 0x4000);
  EXPECT_EQ(sample.memory, 2048 << 16);
  EXPECT_EQ(sample.colour, 6);
  frame.current_fps = 15;
  EXPECT_EQ(performance_sample(frame).colour, 14);
  frame.overran = true;
  EXPECT_EQ(performance_sample(frame).colour, 7);
  frame.memory_bytes = -5;
  EXPECT_EQ(performance_sample(frame).memory, 0);
}

TEST(PerformanceMonitor, TextShowsRatesLatestAndMeanLoadOrTheMeter) {
  PerformanceMonitor monitor;
  FrameMeasurement frame;
  frame.current_fps = frame.requested_fps = 60;
  frame.meter_fps = 59 << 16 | 0x8000;
  for (int i = 0; i < 32; i++) {
    frame.cycles = 0x800000 / 60;  // a full frame
    record_flip(monitor, frame);
  }
  frame.cycles = 0x800000 / 60 / 4;
  record_flip(monitor, frame);
  // 32 full frames and a quarter over 64 samples.
  EXPECT_EQ(performance_text(monitor, 60, 60, false), "60/60 0.25 0.50");
  EXPECT_EQ(performance_text(monitor, 30, 60, true), "30/60 59.5 fps");
  // The ring keeps the newest 64.
  for (int i = 0; i < 64; i++) record_flip(monitor, frame);
  EXPECT_EQ(average_load(monitor), latest_sample(monitor).load);
}

TEST(PerformanceMonitor, DrawsOnlyInsideItsBox) {
  const machine::Font font = machine::Font{};
  PerformanceMonitor monitor;
  FrameMeasurement frame;
  frame.cycles = 0x800000 / 30;
  record_flip(monitor, frame);
  for (int current : {30, 15}) {
    std::vector<uint8_t> pixels(144 * 136, 0xff);
    machine::Canvas canvas{pixels.data(), 144, 136};
    draw_performance_monitor(canvas, font, monitor, current, 30, false);
    int inside_changed = 0;
    for (int y = 0; y < 136; y++) {
      for (int x = 0; x < 144; x++) {
        const bool inside = x >= kMonitorLeft && x < kMonitorLeft + kMonitorWidth && y >= kMonitorTop &&
                            y < kMonitorTop + kMonitorHeight;
        const uint8_t colour = pixels[size_t(y * 144 + x)];
        if (!inside) EXPECT_EQ(colour, 0xff) << x << "," << y;
        else inside_changed += colour != 0xff ? 1 : 0;
      }
    }
    EXPECT_EQ(inside_changed, kMonitorWidth * kMonitorHeight);
    // The newest sample, a full frame, is the right-most column, drawn to
    // the top of the graph in the sample's colour.
    EXPECT_EQ(pixels[size_t((kMonitorTop + 8) * 144 + kMonitorLeft + kMonitorWidth - 1)], 6);
  }
  EXPECT_EQ(performance_text_colour(30, 30), 13);
  EXPECT_EQ(performance_text_colour(15, 30), 8);
  EXPECT_EQ(performance_text_colour(60, 30), 13);
}

}  // namespace

namespace testing {
namespace {

TEST_F(CartridgeRun, EveryFlipOfARunningProgramRecordsSamples) {
  HeadlessRunResult result = run_code(
      "n = 0\nbig = {}\nfunction _update() n += 1 for i = 1, 2000 do big[i] = i end if n == 5 then stop() end end\n"
      "function _draw() end\n",
      10);
  ASSERT_TRUE(result.quit);
  int busy = 0;
  for (const PerformanceSample& sample : console.app.performance.samples) {
    if (sample.load == 0) continue;
    busy++;
    EXPECT_GT(sample.memory, 0);
    EXPECT_LT(sample.load, 0x10000);
  }
  // Four frames flipped before the fifth update stopped the program, two
  // samples each at 30 fps.
  EXPECT_EQ(busy, 8);
}

}  // namespace
}  // namespace testing
}  // namespace tamori::shell

namespace tamori::shell::testing {
namespace {

int colour_in_box(const Console& console, uint8_t colour) {
  const machine::BackPage& page = console.app.back_page;
  int count = 0;
  for (int y = kMonitorTop; y < kMonitorTop + kMonitorHeight; y++)
    for (int x = kMonitorLeft; x < kMonitorLeft + kMonitorWidth; x++)
      count += page.pixels[size_t(y * page.width + x)] == colour ? 1 : 0;
  return count;
}

TEST_F(CartridgeRun, CtrlPTogglesTheMonitorOverThePicture) {
  int shown_frames = 0;
  after_frame = [&shown_frames](int frame, Console& running) {
    host::KeyStates& keys = running.app.keys;
    if (frame == 3 || frame == 9) {
      host::keys_host_down(keys, host::scancode::LeftCtrl);
      host::keys_host_down(keys, host::scancode::P);
    } else if (frame == 4 || frame == 10) {
      host::keys_host_up(keys, host::scancode::P);
      host::keys_host_up(keys, host::scancode::LeftCtrl);
    }
    if (running.app.performance.shown) {
      shown_frames++;
      EXPECT_GT(colour_in_box(running, 13), 0) << frame;  // its text, at the requested rate
    } else {
      EXPECT_EQ(colour_in_box(running, 13), 0) << frame;
    }
  };
  run_code("function _draw() cls(1) end\n", 14);
  EXPECT_EQ(shown_frames, 6);
  EXPECT_FALSE(console.app.performance.shown);
}

}  // namespace
}  // namespace tamori::shell::testing
