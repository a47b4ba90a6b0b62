// The numeric for loop's arithmetic on raw 16.16 values, for the
// interpreter's FORPREP and FORLOOP. A loop never wraps around: when the next
// step would pass the end of the number range, the loop's step becomes 0, so
// the body runs once more and the loop then ends.
#pragma once

#include <cstdint>

namespace tamori::lang {

struct ForLoopState {
  int32_t index = 0;  // the hidden loop index
  int32_t limit = 0;
  int32_t step = 0;   // set to 0 by the overflow guard
};

// FORPREP: the index starts one step before the start value (wrapping).
inline ForLoopState for_loop_prepare(int32_t start, int32_t limit, int32_t step) {
  return ForLoopState{int32_t(uint32_t(start) - uint32_t(step)), limit, step};
}

// FORLOOP: advances the index; returns whether the body runs again, with
// the index then holding the value of the visible loop variable. Inline,
// because it runs once per iteration of every numeric loop.
inline bool for_loop_step(ForLoopState& loop) {
  if (loop.step == 0) return false;
  int32_t next = int32_t(uint32_t(loop.index) + uint32_t(loop.step));
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
