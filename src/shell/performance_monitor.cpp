#include "shell/performance_monitor.h"

#include <algorithm>
#include <cstdio>

#include "runner/frame_rate_governor.h"

namespace tamori::shell {
namespace {

constexpr int64_t kShownMemoryLimit = 0x200000;
constexpr int kGraphTop = kMonitorTop + 7;  // below the line of text
constexpr int kGraphBottom = kMonitorTop + kMonitorHeight - 1;
constexpr int32_t kFullFrame = 0x10000;
constexpr uint8_t kBackgroundColour = 0, kSystemColour = 8, kMemoryColour = 12;
constexpr uint8_t kTextColour = 13, kBehindTextColour = 8;

double as_decimal(int32_t fixed) { return double(fixed) / 65536.0; }

// The graph row of a value where `full` fills the graph's height.
int graph_row(int64_t value, int64_t full) {
  const int height = kGraphBottom - kGraphTop;
  const int64_t rows = std::clamp<int64_t>(value * height / std::max<int64_t>(full, 1), 0, height);
  return kGraphBottom - int(rows);
}

}  // namespace

PerformanceSample performance_sample(const FrameMeasurement& frame) {
  PerformanceSample sample;
  sample.memory = int32_t(std::clamp<int64_t>(frame.memory_bytes, 0, kShownMemoryLimit) * 64);
  sample.load = runner::cycles_to_frame_capacity(frame.cycles, frame.requested_fps);
  sample.system_load = runner::cycles_to_frame_capacity(frame.system_cycles, frame.requested_fps);
  sample.colour = frame.overran ? 7 : frame.current_fps < frame.requested_fps ? 14 : 6;
  sample.frame_accumulator = frame.frame_accumulator;
  sample.meter_fps = frame.meter_fps;
  return sample;
}

int samples_per_flip(int current_fps) { return current_fps >= 60 ? 1 : current_fps >= 30 ? 2 : 3; }

void record_flip(PerformanceMonitor& monitor, const FrameMeasurement& frame) {
  const PerformanceSample sample = performance_sample(frame);
  for (int i = samples_per_flip(frame.current_fps); i > 0; i--) {
    monitor.samples[size_t(monitor.next)] = sample;
    monitor.next = (monitor.next + 1) % kPerformanceSampleCount;
  }
}

const PerformanceSample& latest_sample(const PerformanceMonitor& monitor) {
  return monitor.samples[size_t((monitor.next + kPerformanceSampleCount - 1) % kPerformanceSampleCount)];
}

int32_t average_load(const PerformanceMonitor& monitor) {
  int64_t sum = 0;
  for (const PerformanceSample& sample : monitor.samples) sum += sample.load;
  return int32_t(sum / kPerformanceSampleCount);
}

std::string performance_text(const PerformanceMonitor& monitor, int current_fps, int requested_fps,
                             bool shift_held) {
  char text[64];
  const PerformanceSample& latest = latest_sample(monitor);
  if (shift_held) {
    std::snprintf(text, sizeof text, "%d/%d %3.1f fps", current_fps, requested_fps, as_decimal(latest.meter_fps));
  } else {
    std::snprintf(text, sizeof text, "%d/%d %1.2f %1.2f", current_fps, requested_fps, as_decimal(latest.load),
                  as_decimal(average_load(monitor)));
  }
  return text;
}

uint8_t performance_text_colour(int current_fps, int requested_fps) {
  return current_fps < requested_fps ? kBehindTextColour : kTextColour;
}

void draw_performance_monitor(machine::Canvas canvas, const machine::Font& font, const PerformanceMonitor& monitor,
                              int current_fps, int requested_fps, bool shift_held) {
  machine::canvas_fill_rect(canvas, kMonitorLeft, kMonitorTop, kMonitorLeft + kMonitorWidth - 1, kGraphBottom,
                            kBackgroundColour);
  // Oldest sample on the left. Each column: the load as a bar in the
  // sample's colour, the system-call part of it below in colour 8, and the
  // memory in use as one dot.
  for (int column = 0; column < kPerformanceSampleCount; column++) {
    const PerformanceSample& sample = monitor.samples[size_t((monitor.next + column) % kPerformanceSampleCount)];
    const int x = kMonitorLeft + column;
    const int load_top = graph_row(sample.load, kFullFrame);
    if (load_top < kGraphBottom) machine::canvas_fill_rect(canvas, x, load_top, x, kGraphBottom, sample.colour);
    const int system_top = graph_row(sample.system_load, kFullFrame);
    if (system_top < kGraphBottom) machine::canvas_fill_rect(canvas, x, system_top, x, kGraphBottom, kSystemColour);
    const int memory_row = graph_row(sample.memory, kShownMemoryLimit * 64);
    machine::canvas_fill_rect(canvas, x, memory_row, x, memory_row, kMemoryColour);
  }
  machine::draw_interface_text(canvas, font, performance_text(monitor, current_fps, requested_fps, shift_held),
                               kMonitorLeft + 1, kMonitorTop + 1, performance_text_colour(current_fps, requested_fps));
}

}  // namespace tamori::shell
