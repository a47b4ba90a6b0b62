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
ForLoopState for_loop_prepare(int32_t start, int32_t limit, int32_t step);

// FORLOOP: advances the index; returns whether the body runs again, with
// the index then holding the value of the visible loop variable.
bool for_loop_step(ForLoopState& loop);

}  // namespace tamori::lang
