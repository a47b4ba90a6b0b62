// The reset glitch: a restart that scrambles memory for a moment before
// the cartridge runs again (Ctrl+R, extcmd("reset")), or only waits (run()).
#pragma once

#include <cstdint>

#include "machine/machine_state.h"
#include "shell/console_state.h"

namespace tamori::shell {

inline constexpr int32_t kResetIntervalMs = 500;

// Ctrl+R and extcmd("reset"): starts the glitch at 1, unless one runs or
// the last request was less than kResetIntervalMs ago. True when started.
bool request_reset_glitch(Console& console, int32_t now_ms);
// run(): the counter starts at 3, past the scramble.
void start_run_glitch(Console& console);
// One tick's advance: scrambles on reaching 2; after the last frame (12 at
// 60 fps, 6 otherwise) ends and requests the run.
void advance_reset_glitch(Console& console);
// The program is not sliced while this holds.
bool reset_glitch_holds_program(const Console& console);

// The scramble itself, drawing from the cartridge random generator.
void scribble_memory(machine::MachineState& machine);

}  // namespace tamori::shell
