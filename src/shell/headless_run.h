// Running a cartridge headless for a number of frames as fast as possible,
// on a virtual clock: the core of the tamori_run tool and of the cartridge
// tests. Each frame is exactly one console tick followed by a draw.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/clock.h"
#include "shell/console_state.h"

namespace tamori::shell {

// Buttons held from a frame on: bit b of entry p = button b of player p.
using ButtonScript = std::map<int, std::array<uint8_t, 8>>;

// The script's text form, one line per change: "FRAME P0 [P1 ...]" with
// each player's buttons as a number (bit 0 left .. bit 5 the second action
// button) or as letters from "lrudox" ("-" for none). '#' starts a comment.
// Returns false and the bad line's number in `error_line` on a mistake.
bool parse_button_script(const std::string& text, ButtonScript* script, int* error_line);

struct HeadlessRunOptions {
  std::string cartridge;
  std::string home;            // data folder root (-home)
  std::string program_folder;  // where data.pod is
  int frames = 60;
  std::optional<uint32_t> random_seed = 1;  // none: seeded from the clock
  ButtonScript buttons;
  std::vector<std::string> extra_arguments;
  std::function<void(lang::ThreadState* state)> register_functions;
  // Called after every frame (frame numbers from 0).
  std::function<void(int frame, Console& console)> after_frame;
};

struct HeadlessRunResult {
  int exit_status = 0;
  bool started = false;        // false: start-up ended the run (exit_status says how)
  bool quit = false;           // the console asked to quit (a program stopped in execute mode)
  int frames_run = 0;
  std::string standard_output;
};

// Host-side view of the frame just drawn.
uint64_t screen_memory_hash(const Console& console);
// The composed picture as RGBA bytes through the palette (width × height × 4).
std::vector<uint8_t> screen_rgba(const Console& console, int* width, int* height);

// Starts the console in execute mode with the cartridge and runs it. The
// console stays initialised afterwards for inspection; call ruvo_exit.
HeadlessRunResult run_headless(Console& console, host::VirtualTime& time, const HeadlessRunOptions& options);

}  // namespace tamori::shell
