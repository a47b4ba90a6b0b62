#include "runner/frame_rate_governor.h"

#include <algorithm>

namespace tamori::runner {

int32_t cycles_to_frame_capacity(int64_t cycles, int requested_fps) {
  int64_t budget = kCpuCyclesPerSecond / (requested_fps > 0 ? requested_fps : 30);
  return int32_t(std::clamp<int64_t>(cycles * 0x10000 / budget, INT32_MIN, INT32_MAX));
}

void update_framerate(FrameRateGovernor& governor, RunControl& control, const GovernorInputs& inputs) {
  std::rotate(governor.fps_history.begin(), governor.fps_history.begin() + 1, governor.fps_history.end());
  governor.fps_history.back() = inputs.meter_fps;
  int64_t sum = 0;
  int samples = 0;
  for (int32_t value : governor.fps_history) {
    sum += value;
    if (value != 0) samples++;
  }
  int64_t average = sum / std::max(samples, 1);
  if (inputs.host_framerate_control < 2) average = 10000;

  int32_t load = 0x100000;
  if (governor.mark_cycles[2] > governor.mark_cycles[0]) {
    load = cycles_to_frame_capacity(int64_t(governor.mark_cycles[2]) - governor.mark_cycles[0], control.requested_fps);
    int32_t measured = load;
    if (governor.load_now != 0) load = std::max(load, governor.load_now);
    governor.load_prev = governor.load_now;
    governor.load_now = measured;
  }

  if (governor.mark_times[0] > governor.mark_times[2]) return;
  int32_t frame_ms = (governor.mark_times[2] - governor.mark_times[0]) + std::max(inputs.draw_ms, 0) +
                     governor.drop_penalty;
  if (governor.frame_overran && control.current_fps == control.requested_fps) {
    control.current_fps = std::max(control.current_fps / 2, 1);
    governor.frame_overran = false;
    return;
  }
  governor.frame_overran = false;
  if (control.current_fps == 60 && control.requested_fps == 60 && average < 60) {
    control.current_fps = 30;
    if (inputs.window_active && inputs.now_ms - governor.last_drop_time < 2000)
      governor.drop_penalty = std::min(governor.drop_penalty, 4) + 1;
    governor.last_drop_time = inputs.now_ms;
  } else if (control.current_fps < control.requested_fps) {
    bool fast_enough = control.requested_fps == 30 || inputs.host_framerate_control < 2 ||
                       frame_ms + inputs.sleep_ms <= 16;
    if (average >= control.requested_fps && fast_enough && load <= 0xfbff) control.current_fps = control.requested_fps;
  }
}

}  // namespace tamori::runner
