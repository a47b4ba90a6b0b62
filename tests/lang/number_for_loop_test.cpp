#include "lang/number_for_loop.h"

#include <gtest/gtest.h>

#include <vector>

namespace tamori::lang {
namespace {

constexpr int32_t raw(double value) { return static_cast<int32_t>(value * 65536.0); }

// The values the loop variable takes, at most 20 of them.
std::vector<int32_t> visited(int32_t start, int32_t limit, int32_t step) {
  std::vector<int32_t> values;
  ForLoopState loop = for_loop_prepare(start, limit, step);
  while (values.size() < 20 && for_loop_step(loop)) values.push_back(loop.index);
  return values;
}

struct LoopCase {
  const char* what;
  int32_t start, limit, step;
  std::vector<int32_t> values;
};

TEST(NumberForLoop, RunsWithoutEverWrapping) {
  const LoopCase cases[] = {
      {"1 to 3", raw(1), raw(3), raw(1), {raw(1), raw(2), raw(3)}},
      {"3 to 1 by -1", raw(3), raw(1), raw(-1), {raw(3), raw(2), raw(1)}},
      {"0 to 1 by 0.25", 0, raw(1), raw(0.25), {0, raw(0.25), raw(0.5), raw(0.75), raw(1)}},
      {"empty range", raw(2), raw(1), raw(1), {}},
      {"step 0 runs no times", raw(1), raw(10), 0, {}},
      {"32760 to 32767 ends at the top",
       raw(32760), raw(32767), raw(1),
       {raw(32760), raw(32761), raw(32762), raw(32763), raw(32764), raw(32765), raw(32766),
        raw(32767)}},
      {"0x7fff.fffe to 0x7fff.ffff by 0x0.0001 runs once", 0x7ffffffe, 0x7fffffff, 1, {0x7ffffffe}},
      {"1 to 32767 by 16384 stops before wrapping", raw(1), raw(32767), raw(16384),
       {raw(1), raw(16385)}},
      {"-32767 to -32768 by -1 ends at the bottom", raw(-32767), INT32_MIN, raw(-1),
       {raw(-32767), INT32_MIN}},
      {"-32768 to -32768", INT32_MIN, INT32_MIN, raw(1), {INT32_MIN}},
      {"0 to -32768 by -16384", 0, INT32_MIN, raw(-16384), {0, raw(-16384), INT32_MIN}},
  };
  for (const LoopCase& c : cases) EXPECT_EQ(visited(c.start, c.limit, c.step), c.values) << c.what;
}

TEST(NumberForLoop, PreparationWraps) {
  EXPECT_EQ(for_loop_prepare(INT32_MIN, 0, raw(1)).index, INT32_MAX - 0xffff);
  EXPECT_EQ(for_loop_prepare(INT32_MAX, 0, raw(-1)).index, INT32_MIN + 0xffff);
}

}  // namespace
}  // namespace tamori::lang
