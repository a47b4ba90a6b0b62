// How a cartridge fares against the console's limits: its code (tokens,
// characters, compressed size) and a headless run (the peak CPU share of a
// frame as stat(1) gives it, the peak memory as stat(0) gives it, and the
// frames that needed more than their budget). Cartridge authors' scripts
// read it from `tamori_run --info`.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runner/program_limits.h"
#include "shell/console_state.h"

namespace tamori::shell {

inline constexpr int kMemoryLimitKib = 2048;  // what stat(0) can show

struct BudgetMeter {
  int frames = 0;
  int flips = 0;
  int32_t peak_load = 0;          // 16.16 share of one frame's budget
  int64_t peak_memory_bytes = 0;  // live bytes with the token overhead, uncapped
  int frames_over_budget = 0;     // flipped frames whose load passed 1
  bool open_frame_over = false;   // the unfinished frame has passed 1 already
  int seen_sample_position = 0;   // the performance monitor's ring, to spot flips
};

// Call after every frame of a headless run. Memory is measured as stat(0)
// measures it, after a full collection.
void meter_frame(BudgetMeter& meter, Console& console);

struct BudgetReport {
  std::vector<runner::ConsoleLine> lines;  // over-limit lines carry kOverLimitColour
  bool within_limits = false;
};

// The code's lines of INFO for the working cartridge, then the run's.
// `program_output` is what the run printed: a program stopped with "out of
// memory" is over the memory limit whatever the meter saw before.
BudgetReport budget_report(const BudgetMeter& meter, Console& console, std::string_view program_output);

}  // namespace tamori::shell
