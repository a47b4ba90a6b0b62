#include "lang/number_for_loop.h"

namespace tamori::lang {
namespace {

int32_t wrapping_add(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }

}  // namespace

ForLoopState for_loop_prepare(int32_t start, int32_t limit, int32_t step) {
  return ForLoopState{int32_t(uint32_t(start) - uint32_t(step)), limit, step};
}

bool for_loop_step(ForLoopState& loop) {
  if (loop.step == 0) return false;
  int32_t next = wrapping_add(loop.index, loop.step);
  bool runs = loop.step > 0 ? next <= loop.limit : next >= loop.limit;
  if (!runs) return false;
  loop.index = next;
  // The step after this one would leave the number range: stop after it.
  int64_t next_wide = next, step_wide = loop.step;
  bool passes_top = loop.step > 0 && next >= 0 && step_wide >= INT32_MAX - next_wide;
  bool passes_bottom = loop.step < 0 && next < 0 && step_wide < INT32_MIN - next_wide;
  if (passes_top || passes_bottom) loop.step = 0;
  return true;
}

}  // namespace tamori::lang
