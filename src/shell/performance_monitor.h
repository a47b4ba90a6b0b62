// The performance monitor (Ctrl+P while a program runs): the last 64
// frames' memory, CPU load and system-call load as a small graph with a
// line of numbers, drawn over the top of the picture.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "machine/interface_text.h"

namespace tamori::shell {

inline constexpr int kPerformanceSampleCount = 64;
inline constexpr int kMonitorLeft = 60, kMonitorTop = 4;
inline constexpr int kMonitorWidth = 64, kMonitorHeight = 23;

struct PerformanceSample {
  int32_t memory = 0;       // KiB as a 16.16 number (bytes × 64), at most 2048
  int32_t load = 0;         // 16.16 fraction of the frame's budget
  int32_t system_load = 0;  // the part spent in built-in functions
  uint8_t colour = 6;       // 7 overran, 14 below the requested rate, else 6
  int32_t frame_accumulator = 0;
  int32_t meter_fps = 0;    // the host's frame-rate meter, 16.16
};

struct PerformanceMonitor {
  bool shown = false;
  std::array<PerformanceSample, kPerformanceSampleCount> samples{};
  int next = 0;  // ring position of the next sample
};

// What one flip measured; the monitor turns it into samples.
struct FrameMeasurement {
  int64_t memory_bytes = 0;  // including the token overhead
  int32_t cycles = 0;        // since the previous flip
  int64_t system_cycles = 0;
  bool overran = false;
  int current_fps = 30, requested_fps = 30;
  int32_t frame_accumulator = 0;
  int32_t meter_fps = 0;
};

PerformanceSample performance_sample(const FrameMeasurement& frame);
// A flip stands for one sixtieth of a second at 60 fps, two at 30 and
// three at 15 or below, so the graph moves at the same speed at any rate.
int samples_per_flip(int current_fps);
void record_flip(PerformanceMonitor& monitor, const FrameMeasurement& frame);

const PerformanceSample& latest_sample(const PerformanceMonitor& monitor);
// The mean load of all 64 samples, 16.16.
int32_t average_load(const PerformanceMonitor& monitor);
// "%d/%d %1.2f %1.2f" (rates, latest and mean load), or with Shift held
// "%d/%d %3.1f fps" with the latest meter reading.
std::string performance_text(const PerformanceMonitor& monitor, int current_fps, int requested_fps,
                             bool shift_held);

// Colour 8 while running below the requested rate, else 13.
uint8_t performance_text_colour(int current_fps, int requested_fps);

void draw_performance_monitor(machine::Canvas canvas, const machine::Font& font, const PerformanceMonitor& monitor,
                              int current_fps, int requested_fps, bool shift_held);

}  // namespace tamori::shell
