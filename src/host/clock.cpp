#include "host/clock.h"

#include <chrono>
#include <thread>

namespace tamori::host {
namespace {

int64_t system_now(void*) {
  using namespace std::chrono;
  static const steady_clock::time_point start = steady_clock::now();
  return duration_cast<milliseconds>(steady_clock::now() - start).count();
}

void system_sleep(void*, int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int64_t virtual_now(void* context) { return static_cast<VirtualTime*>(context)->now_ms; }

void virtual_sleep(void* context, int milliseconds) {
  if (milliseconds > 0) static_cast<VirtualTime*>(context)->now_ms += milliseconds;
}

Clock current_clock = system_clock();

}  // namespace

Clock system_clock() { return Clock{system_now, system_sleep, nullptr}; }

Clock virtual_clock(VirtualTime* time) { return Clock{virtual_now, virtual_sleep, time}; }

void ruvo_set_clock(const Clock& clock) { current_clock = clock; }

const Clock& ruvo_clock() { return current_clock; }

int32_t ruvo_get_time_ms() {
  return int32_t(uint32_t(uint64_t(current_clock.now_ms(current_clock.context))));
}

void ruvo_sleep_ms(int milliseconds) { current_clock.sleep_ms(current_clock.context, milliseconds); }

}  // namespace tamori::host
