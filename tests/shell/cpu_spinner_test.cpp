// The CPU spinner appears only for a drawing program stuck in a long frame,
// and draws only inside its corner box in its three colours.
#include <gtest/gtest.h>

#include "shell/cpu_spinner.h"

namespace tamori::shell {
namespace {

TEST(CpuSpinner, ShownOnlyForABusyDrawingProgramAfterFourSeconds) {
  const SpinnerConditions busy{true, true, 240, kSpinnerLoad + 1};
  EXPECT_TRUE(cpu_spinner_shown(busy));
  SpinnerConditions changed = busy;
  changed.program_running = false;
  EXPECT_FALSE(cpu_spinner_shown(changed));
  changed = busy;
  changed.program_draws = false;
  EXPECT_FALSE(cpu_spinner_shown(changed));
  changed = busy;
  changed.elapsed_ticks = 239;
  EXPECT_FALSE(cpu_spinner_shown(changed));
  changed = busy;
  changed.load_since_flip = kSpinnerLoad;
  EXPECT_FALSE(cpu_spinner_shown(changed));
}

TEST(CpuSpinner, DotsStayInTheBoxAndChangeFromFrameToFrame) {
  machine::Picture first{}, second{};
  draw_cpu_spinner(first, 1);
  draw_cpu_spinner(second, 2);
  int dots = 0;
  for (int y = 0; y < machine::kScreenSide; y++) {
    for (int x = 0; x < machine::kScreenSide; x++) {
      uint8_t colour = first[size_t(y * machine::kScreenSide + x)];
      if (colour == 0) continue;
      dots++;
      EXPECT_TRUE(x >= 3 && x <= 9 && y >= 3 && y <= 11) << x << "," << y;
      EXPECT_TRUE(colour == 7 || colour == 12 || colour == 14) << int(colour);
    }
  }
  EXPECT_GT(dots, 5);
  EXPECT_NE(first, second);
}

}  // namespace
}  // namespace tamori::shell
