// The frame-rate governor: drops a program from its requested rate (60 to
// 30, 30 to 15) after a frame overran its budget, and returns to the
// requested rate when frames fit again.
#pragma once

#include <array>
#include <cstdint>

#include "runner/run_control.h"

namespace tamori::runner {

inline constexpr int32_t kCpuCyclesPerSecond = 0x800000;

struct FrameRateGovernor {
  std::array<int32_t, 30> fps_history{};  // host frame-rate meter, frames a second
  int32_t load_now = 0, load_prev = 0;    // 16.16 fractions of a frame's budget
  int drop_penalty = 0;                   // 0..5 ms added to the frame time
  int32_t last_drop_time = -100000;
  std::array<int32_t, 3> mark_cycles{};
  std::array<int32_t, 3> mark_times{};
  bool frame_overran = false;
};

struct GovernorInputs {
  int32_t meter_fps = 0;             // the host's frame-rate meter now
  int host_framerate_control = 1;
  int32_t draw_ms = 0;               // host time spent drawing the last frame
  int sleep_ms = 0;                  // the applicable sleep setting
  bool window_active = true;
  int32_t now_ms = 0;
};

// cycles × 0x10000 / (0x800000 / rate), the 16.16 load of a frame; a rate
// of 0 counts as 30.
int32_t cycles_to_frame_capacity(int64_t cycles, int requested_fps);

void update_framerate(FrameRateGovernor& governor, RunControl& control, const GovernorInputs& inputs);

}  // namespace tamori::runner
