#include "shell/cartridge_budget.h"

#include <algorithm>
#include <cstdio>

#include "lang/api.h"
#include "lang/cpu_counters.h"
#include "runner/frame_rate_governor.h"
#include "runner/program_runner.h"
#include "runner/program_source.h"

namespace tamori::shell {
namespace {

constexpr int32_t kWholeFrame = 0x10000;

runner::ConsoleLine limit_line(const std::string& text, bool within) {
  return {text, within ? runner::kWithinLimitColour : runner::kOverLimitColour};
}

std::string formatted(const char* format, double first, double second) {
  char line[96];
  std::snprintf(line, sizeof line, format, first, second);
  return line;
}

}  // namespace

void meter_frame(BudgetMeter& meter, Console& console) {
  meter.frames++;
  runner::ProgramRunner& runner = runner::program_runner();
  const PerformanceMonitor& monitor = console.app.performance;
  if (monitor.next != meter.seen_sample_position) {
    meter.seen_sample_position = monitor.next;
    meter.flips++;
    const int32_t load = latest_sample(monitor).load;
    meter.peak_load = std::max(meter.peak_load, load);
    if (load > kWholeFrame) meter.frames_over_budget++;
    meter.open_frame_over = false;
  } else if (console.pstate.program_running && console.pstate.console_mode == kModeRunning) {
    // No flip this frame: what the frame has spent so far already counts.
    const int32_t load = runner::cycles_to_frame_capacity(lang::lua_get_cpu_cycles(), console.pstate.requested_fps);
    meter.peak_load = std::max(meter.peak_load, load);
    meter.open_frame_over = load > kWholeFrame;
  }
  if (runner.cart_state && console.pstate.program_running) {
    lang::collect(runner.cart_state);
    const int64_t bytes = int64_t(lang::memory_in_use(runner.cart_state)) + runner.token_overhead;
    meter.peak_memory_bytes = std::max(meter.peak_memory_bytes, bytes);
  }
}

BudgetReport budget_report(const BudgetMeter& meter, Console& console, std::string_view program_output) {
  BudgetReport report;
  const std::string& code = console.working.cartridge->code;
  runner::ExpandedProgram program = runner::expand_program(code, runner::program_runner().host.read_include);
  report.lines = runner::info_limit_lines(program.ok ? program.text : code);
  if (!program.ok) report.lines.push_back(limit_line("includes:   not all found", false));

  const int over_budget = meter.frames_over_budget + (meter.open_frame_over ? 1 : 0);
  const double memory_kib = double(meter.peak_memory_bytes) / 1024.0;
  char frames[64];
  std::snprintf(frames, sizeof frames, "frames:     %5d (%d drawn)", meter.frames, meter.flips);
  report.lines.push_back({frames, runner::kWithinLimitColour});
  report.lines.push_back(limit_line(formatted("cpu peak:   %5.2f / %.2f (stat 1)", meter.peak_load / 65536.0, 1.0),
                                    meter.peak_load <= kWholeFrame));
  const bool ran_out = program_output.find("out of memory") != std::string_view::npos;
  report.lines.push_back(limit_line(formatted(ran_out ? "memory peak:%6.1f / %.0f KiB (stat 0), then out of memory"
                                                      : "memory peak:%6.1f / %.0f KiB (stat 0)",
                                              memory_kib, kMemoryLimitKib),
                                    !ran_out && memory_kib <= kMemoryLimitKib));
  char over[64];
  std::snprintf(over, sizeof over, "over budget:%5d frames", over_budget);
  report.lines.push_back(limit_line(over, over_budget == 0));

  report.within_limits = std::all_of(report.lines.begin(), report.lines.end(), [](const runner::ConsoleLine& line) {
    return line.colour == runner::kWithinLimitColour;
  });
  return report;
}

}  // namespace tamori::shell
