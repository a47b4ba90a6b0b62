// The program runner: turns a cartridge's code into a running program and
// advances it one slice per console tick.
//
// The language state is rebuilt at every run (reset_lua_machine). The
// program itself runs in a coroutine of that state, because only a
// coroutine can be suspended: the interpreter suspends it when the slice's
// cycle budget is spent or a superyield was requested (flip), and the next
// tick resumes it where it stopped. The state's stack keeps the cartridge's
// coroutine at index 1 (so that a stopped cartridge can be resumed) and a
// command's at index 2.
//
// One runner exists (program_runner()); the native functions reach it
// there. Everything it needs from the console comes through RunnerHost.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "runner/bindings/cart_data.h"
#include "runner/frame_rate_governor.h"
#include "runner/bindings/printh_log.h"
#include "runner/program_source.h"
#include "runner/run_chain.h"
#include "runner/run_control.h"
#include "runner/language.h"

namespace tamori::machine {
struct MachineState;
struct CartridgeStorage;
struct TextState;
}  // namespace tamori::machine

namespace tamori::audio {
struct AudioState;
}  // namespace tamori::audio

namespace tamori::input {
struct InputState;
}  // namespace tamori::input

namespace tamori::host {
struct KeyStates;
}  // namespace tamori::host

namespace tamori::runner {

inline constexpr int32_t kStartupSliceBudget = 139810;
inline constexpr int32_t kRunSliceBudget = 279620;
inline constexpr int kMaxSliceSections = 8192;
inline constexpr int kMenuItemCount = 5;

struct RunnerHost {
  machine::MachineState* machine = nullptr;
  const machine::CartridgeStorage* storage = nullptr;  // for reload and cstore
  RunControl* control = nullptr;
  machine::TextState* text = nullptr;  // the printer's font and unfinished print
  // For sfx, music, btn, btnp, serial and their stat indices; null in a
  // language without a console.
  audio::AudioState* audio = nullptr;
  input::InputState* input = nullptr;
  const host::KeyStates* keys = nullptr;
  // A line on the console text screen (the shell sends it to standard
  // output in execute mode while no program runs).
  std::function<void(std::string_view text, int colour)> console_print;
  // A program's message line outside print (the text given to stop).
  std::function<void(std::string_view text, int colour)> program_print;
  // A seed for the random generator when a program resets it.
  std::function<uint32_t()> fresh_random_seed;
  std::function<void(std::string_view text)> write_stdout;
  std::function<void(const std::string& text, int milliseconds)> show_message;
  IncludeReader read_include;
  // Reads buttons and the pause menu's selections (once a frame).
  std::function<void()> update_buttons;
  // Only refreshes which buttons are held (flip): presses and repeats
  // advance once a frame, in update_buttons.
  std::function<void()> read_buttons;
  std::function<void()> block_buttons;
  // How many items the pause menu's main page shows now (stat 13 and 15).
  std::function<int()> pause_menu_item_count;
  std::function<void(const std::string& argument)> config_command;
  // Registers the functions of other subsystems into a new state.
  std::function<void(ThreadState* state)> register_functions;
  std::function<GovernorInputs()> governor_inputs;
  // Called when a program stopped (execute mode ends the console then).
  std::function<void()> program_stopped;
  // A cartridge program that stops silences the sound; resuming it lets
  // the sound on again.
  std::function<void()> pause_sound;
  std::function<void()> resume_sound;
  // A frame starts with the first slice after a flip (or after the program
  // started) and ends with flip.
  std::function<void()> frame_started;
  std::function<void()> frame_ended;
  // First thing at flip, while the frame's cycle counts still stand.
  std::function<void()> record_performance;
  std::function<void(const std::string& line)> log;
  std::string cdata_folder;    // with a trailing "/"
  std::string output_folder;   // printh files, with a trailing "/"
  std::string desktop_folder;  // printh files for the desktop
  bool global_api = false;
  bool reset_glitch_running = false;
  int display_count = 1;              // stat(11)
  bool single_display_layout = true;  // no -displays_x / -displays_y above 1
};

struct ProgramRunner {
  RunnerHost host;

  ThreadState* cart_state = nullptr;  // the language state
  ThreadState* program = nullptr;     // the coroutine resumed each slice
  bool program_is_command = false;
  bool program_started = false;       // its first slice has run
  bool frame_open = false;            // frame_started was called, flip not yet
  bool resumable = false;
  ExpandedProgram source;             // what the running program was built from

  int mainloop_kind = 0;   // 0 none, 1 the program's own _mainloop, 2 the built-in loop
  bool hold_flag = false;
  bool single_step = false;
  bool has_draw = false;
  int gc_strikes = 0;          // ticks in which memory was over the limit
  int32_t last_strike_tick = 0;  // elapsed_ticks of the last strike
  int32_t token_overhead = 0;
  int32_t elapsed_ticks = 0;  // 1/60 s steps since the program started
  FrameRateGovernor governor;

  std::string current_parameter;
  std::string next_parameter;
  std::string board_id;       // of the running cartridge; empty when none
  std::string cartridge_hash;
  int32_t load_status = 0;    // stat(107)
  RunChain run_chain;
  CartData cart_data;
  PrinthLog printh_log;
  std::array<std::string, kMenuItemCount> menu_labels;
  std::array<bool, kMenuItemCount> menu_selected{};
  std::array<int32_t, kMenuItemCount> menu_selection_values{};
  // Bits of a menu item's filter byte are removed from the values it can
  // report (0x01 left, 0x02 right, 0x70 O and X).
  std::array<uint8_t, kMenuItemCount> menu_filters{};
  // A cartridge item was just chosen: the menu stays drawn and the sound
  // paused until the next slice starts.
  bool menu_item_chosen = false;
  bool scoresub_shown = false;
  bool map_display_warned = false;
};

ProgramRunner& program_runner();

// Closes the language state (if any) and creates a fresh one with every
// function registered.
void reset_lua_machine();
// Closes the language state for good (end of the console, tests).
void shutdown_lua_machine();

// Builds, checks and compiles a program and makes it the active one; the
// first slice runs its main chunk. Failures are printed on the console.
void run_program(std::string_view text, bool is_command);
// One tick's slice of the running program.
void run_slice();
void suspend_program();
void resume_program(bool single_frame);
// Draw-state and runner values a new run starts from.
void reset_runtime_state();

// Console printing through the host.
void runner_print(std::string_view text, int colour = 6);
void runner_printf(const char* format, int a, int b, int colour = 6);

// Writes the persistent data file when the data changed.
void save_cart_data();

}  // namespace tamori::runner
