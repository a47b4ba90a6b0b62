// The budget meter behind `tamori_run --info`: small programs that keep
// within every limit, overrun the frame's CPU budget, run out of memory or
// carry too many tokens, each measured over a headless run.
#include <ostream>
#include <string>

#include "cartridge_run_fixture.h"
#include "shell/cartridge_budget.h"

namespace tamori::shell::testing {
namespace {

struct BudgetCase {
  const char* name;
  std::string code;
  int frames;
  bool within_limits;
  bool over_budget;    // some frame needed more than its budget
  bool memory_over;    // the memory line is over its limit
  double least_load;   // the peak CPU share is at least this
};

void PrintTo(const BudgetCase& c, std::ostream* out) { *out << c.name; }

std::string repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; i++) out += text;
  return out;
}

const BudgetCase kCases[] = {
    {"idle", "function _update() end function _draw() cls() end", 30, true, false, false, 0.0},
    {"busy_but_within", "function _update() for i=1,30000 do local a=i*i end end", 30, true, false, false, 0.4},
    {"overruns_every_frame", "function _update() for j=1,3 do for i=1,30000 do local a=i*i end end end", 30, false,
     true, false, 1.0},
    {"never_flips", "function _update() for j=1,30 do for i=1,30000 do local a=i*i end end end", 10, false, true,
     false, 5.0},
    {"runs_out_of_memory", "t={} function _update() for i=1,4000 do add(t,{i}) end end", 60, false, false, true,
     0.0},
    {"too_many_tokens", repeated("x=1+2+3+4 ", 1100), 5, false, false, false, 0.0},
};

class CartridgeBudget : public CartridgeRun, public ::testing::WithParamInterface<BudgetCase> {};

TEST_P(CartridgeBudget, ReportsEachLimit) {
  const BudgetCase& c = GetParam();
  BudgetMeter meter;
  after_frame = [&meter](int, Console& running) { meter_frame(meter, running); };
  HeadlessRunResult result = run_code(c.code, c.frames);
  ASSERT_TRUE(result.started);
  const BudgetReport report = budget_report(meter, console, result.standard_output);
  EXPECT_EQ(report.within_limits, c.within_limits) << result.standard_output;
  EXPECT_EQ(meter.frames, result.frames_run);
  EXPECT_GE(meter.peak_load, int32_t(c.least_load * 65536));
  ASSERT_EQ(report.lines.size(), 7u);
  auto over = [&report](size_t line) { return report.lines[line].colour == runner::kOverLimitColour; };
  EXPECT_EQ(report.lines[0].text.rfind("tokens:", 0), 0u);
  EXPECT_EQ(over(0), std::string(c.name) == "too_many_tokens") << report.lines[0].text;
  EXPECT_EQ(over(5), c.memory_over) << report.lines[5].text;
  EXPECT_EQ(over(6), c.over_budget) << report.lines[6].text;
  EXPECT_EQ(over(4), c.over_budget) << report.lines[4].text;  // the peak passes 1 exactly then
}

INSTANTIATE_TEST_SUITE_P(Programs, CartridgeBudget, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<BudgetCase>& info) { return std::string(info.param.name); });

TEST_F(CartridgeRun, BudgetMemoryPeakIsWhatStatZeroShows) {
  BudgetMeter meter;
  std::string printed;
  after_frame = [&meter](int, Console& running) { meter_frame(meter, running); };
  HeadlessRunResult result =
      run_code("t={} function _update() if #t<300 then add(t,{1,2,3}) end end function _draw() printh(stat(0)) end", 40);
  ASSERT_TRUE(result.started);
  // The last line the program printed is its own reading at its peak.
  std::string output = result.standard_output;
  while (!output.empty() && output.back() == '\n') output.pop_back();
  const double last_reading = std::stod(output.substr(output.rfind('\n') + 1));
  EXPECT_NEAR(double(meter.peak_memory_bytes) / 1024.0, last_reading, 1.0);
}

}  // namespace
}  // namespace tamori::shell::testing
