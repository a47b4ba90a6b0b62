// The one source of time for the whole console. The SDL host installs a real
// clock; tests and headless runs install a virtual clock whose sleeps simply
// advance it, so a run is deterministic and can go faster than real time.
#pragma once

#include <cstdint>

namespace tamori::host {

struct Clock {
  // Milliseconds since an arbitrary start, never going backwards.
  int64_t (*now_ms)(void* context) = nullptr;
  void (*sleep_ms)(void* context, int milliseconds) = nullptr;
  void* context = nullptr;
};

struct VirtualTime {
  int64_t now_ms = 0;
};

Clock system_clock();
// Sleeping on a virtual clock advances `time` by the requested amount.
Clock virtual_clock(VirtualTime* time);

// The clock in use by the framework (the system clock until replaced).
void ruvo_set_clock(const Clock& clock);
const Clock& ruvo_clock();

// Host time in milliseconds as the console's 32-bit timestamps use it.
int32_t ruvo_get_time_ms();
void ruvo_sleep_ms(int milliseconds);

}  // namespace tamori::host
