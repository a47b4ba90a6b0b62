#include "runner/program_runner.h"

#include <cstdarg>
#include <cstdio>

#include "host/clock.h"
#include "input/input_state.h"
#include "runner/language.h"
#include "runner/bindings/cart_data.h"
#include "runner/command_shorthand.h"
#include "lang/compiler.h"
#include "lang/cpu_counters.h"
#include "runner/bindings/draw_bindings.h"
#include "runner/error_report.h"
#include "runner/bindings/input_bindings.h"
#include "lang/library.h"
#include "runner/bindings/memory_bindings.h"
#include "lang/number_text.h"
#include "runner/prelude.h"
#include "runner/bindings/print_bindings.h"
#include "runner/bindings/printh_log.h"
#include "runner/program_limits.h"
#include "runner/bindings/runner_functions.h"
#include "runner/bindings/sprite_bindings.h"
#include "runner/bindings/sound_bindings.h"
#include "runner/bindings/system_functions.h"
#include "machine/machine_state.h"
#include "machine/memory.h"
#include "machine/memory_map.h"
#include "machine/print_functions.h"

namespace tamori::runner {
namespace {

constexpr int kCartridgeSlot = 1;  // stack index of the cartridge's coroutine (a command's is next)
constexpr int kMaxGcStrikes = 64;
constexpr int kSectionStepSize = 200;  // KiB of allocation's worth of collector work
constexpr int kCollectorPause = 100;
constexpr int kCollectorStepMultiplier = 200;
constexpr int32_t kCdataSaveIntervalMs = 1000;
constexpr int32_t kButtonCatchUpCycles = 0x200000;

ProgramRunner the_runner;

RunControl& control() {
  static RunControl unbound;
  return the_runner.host.control ? *the_runner.host.control : unbound;
}

void log_line(const char* format, ...) {
  if (!the_runner.host.log) return;
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  the_runner.host.log(text);
}

// The functions every program sees; other subsystems add theirs through
// the host's register_functions.
void register_all_functions(ThreadState* state) {
  ProgramRunner& runner = the_runner;
  register_runner_functions(state);
  register_system_functions(state);
  register_printh_function(state);
  register_cart_data_functions(state);
  register_memory_functions(state, runner.host.machine, runner.host.storage);
  register_draw_functions(state, runner.host.machine);
  register_sprite_functions(state, runner.host.machine);
  register_print_functions(state, runner.host.machine, runner.host.text);
  register_sound_functions(state, runner.host.audio, runner.host.machine);
  register_input_functions(state, runner.host.input, runner.host.machine, runner.host.keys);

  register_language_library(state);

  if (runner.host.register_functions) runner.host.register_functions(state);
}

std::string error_text(ThreadState* thread, int index) {
  std::string_view text;
  if (type_at(thread, index) == ValueType::String && string_at(thread, index, &text)) return std::string(text);
  if (type_at(thread, index) == ValueType::Number) return number_to_text(raw_number_at(thread, index));
  if (type_at(thread, index) == ValueType::Nil) return "nil";
  return std::string("(error object is a ") + type_name_at(thread, index) + " value)";
}

void print_lines(const std::vector<ConsoleLine>& lines) {
  for (const ConsoleLine& line : lines) runner_print(line.text, line.colour);
}

// A program that could not be built counts as stopped at once (execute mode
// would otherwise wait forever for it).
void report_not_started() {
  if (the_runner.host.program_stopped) the_runner.host.program_stopped();
}

bool is_resume_command(std::string_view text) { return text == "resume" || text == "resume()" || text == "r"; }

// Compiles the text and installs it as the active program; prints what
// went wrong otherwise.
void install_program(const std::string& compiled_text, bool is_command, int token_count) {
  ProgramRunner& runner = the_runner;
  ThreadState* state = runner.cart_state;
  MemoryMeter& meter = memory_meter(state);
  CompileOptions options;
  const std::vector<int> spans = runner.source.tab_spans;
  if (!is_command) {
    options.locate_line = [spans](int line) {
      TabLine place = find_tab_line(spans, line);
      return SourceLocation{place.found ? place.line : line, place.tab};
    };
  }
  meter.compiling = true;
  CompileResult compiled = compile_chunk(compiled_text, kPreludeFirstLine, options);
  meter.compiling = false;
  runner.token_overhead = kMemoryBytesPerToken * token_count;
  meter.token_overhead = runner.token_overhead;
  if (!compiled.ok()) {
    if (runner.host.machine) machine::write_memory_byte(*runner.host.machine, 0x5f25, 6);
    print_lines(syntax_error_report({is_command, compiled.lexer_line, compiled.full_message}, runner.source));
    report_not_started();
    return;
  }
  if (runner.host.block_buttons) runner.host.block_buttons();
  if (control().pending_action == kActionRun) reset_runtime_state();
  // A new cartridge replaces both anchored coroutines; a command keeps the
  // cartridge's so that it can still be resumed.
  set_top(state, is_command ? kCartridgeSlot : 0);
  load_function(state, *compiled.function);
  ThreadState* coroutine = new_coroutine(state);
  if (!is_command) push_nil(state);
  runner.program = coroutine;
  runner.program_is_command = is_command;
  runner.program_started = false;
  runner.frame_open = false;
  control().console_mode = kModeRunning;
  control().program_running = !is_command;
}

// The collector runs only here, between sections: a step every section
// (a full collection once memory trouble has become the rule), then the
// memory limit; false when the program had to be stopped for lack of
// memory. The collector is stopped again while the program runs.
bool collect_before_section() {
  ProgramRunner& runner = the_runner;
  ThreadState* state = runner.cart_state;
  MemoryMeter& meter = memory_meter(state);
  set_collector_running(state, true);
  if (collector_running(state)) {
    if (runner.gc_strikes <= kMaxGcStrikes) collect_step(state, kSectionStepSize);
    else collect(state);
  }
  if (meter_total(meter) > kSoftMemoryLimit) {
    if (runner.elapsed_ticks != runner.last_strike_tick || runner.gc_strikes == 0) {
      runner.gc_strikes++;
      runner.last_strike_tick = runner.elapsed_ticks;
    }
    int32_t before = meter_total(meter);
    collect(state);
    if (meter_total(meter) > kSoftMemoryLimit) {
      if (collector_running(state)) collect(state);
      else log_line("gc not running; could not perform emergency collection\n");
      log_line("gc hard collect: %d -> %d (overhead:%d)\n", before, meter_total(meter), runner.token_overhead);
    }
    if (meter_total(meter) > kSoftMemoryLimit) {
      suspend_program();
      runner.resumable = false;
      reset_lua_machine();
      runner_print("out of memory", 6);
      return false;
    }
  }
  set_collector_running(state, false);
  return true;
}

// One section: resume the program until it yields, ends or fails. True
// when it was cut short by an allocation over the memory limit, so that the
// next section collects first.
bool run_slice_section() {
  ProgramRunner& runner = the_runner;
  if (!runner.cart_state || !collect_before_section()) return false;
  if (control().console_mode != kModeRunning || !runner.program) return false;
  ThreadState* state = runner.cart_state;
  MemoryMeter& meter = memory_meter(state);
  meter.out_of_memory_flag = false;
  lua_cpu_prepare_for_resume();
  ThreadState* program = runner.program;
  const bool was_cartridge = !runner.program_is_command;
  const int anchored = get_top(state);
  int result_count = 0;
  runner.program_started = true;
  RunStatus status = resume(program, state, 0, &result_count);
  if (status == RunStatus::Ok) {
    set_top(state, anchored);
    suspend_program();
    if (was_cartridge) runner.resumable = false;
  } else if (status == RunStatus::Error) {
    RuntimeError error;
    error.cartridge = was_cartridge;
    error.message = error_text(state, -1);
    error.line = error_line(program);
    error.traceback = error_traceback(program);
    error.already_reported = meter.allocation_error_reported;
    FailedAssertion& assertion = last_failed_assertion();
    if (assertion.error_text == error.message) error.assertion_message = assertion.message;
    assertion = FailedAssertion{};
    meter.allocation_error_reported = false;
    set_top(state, anchored);
    suspend_program();
    if (was_cartridge) runner.resumable = false;
    if (!runner.host.reset_glitch_running) print_lines(runtime_error_report(error, runner.source));
  } else {
    set_top(state, anchored);
  }
  machine::MachineState* machine = runner.host.machine;
  const int32_t now = host::ruvo_get_time_ms();
  if (machine && machine->persistent_data_dirty && now - runner.cart_data.saved_time_ms > kCdataSaveIntervalMs) {
    save_cart_data();
    runner.cart_data.saved_time_ms = now;
  }
  return meter.out_of_memory_flag && control().console_mode == kModeRunning;
}

}  // namespace

ProgramRunner& program_runner() { return the_runner; }

void runner_print(std::string_view text, int colour) {
  if (the_runner.host.console_print) the_runner.host.console_print(text, colour);
}

void runner_printf(const char* format, int a, int b, int colour) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b);
  runner_print(text, colour);
}

void shutdown_lua_machine() {
  ProgramRunner& runner = the_runner;
  if (runner.cart_state) destroy_state(runner.cart_state);
  runner.cart_state = nullptr;
  runner.program = nullptr;
  runner.resumable = false;
}

void reset_lua_machine() {
  shutdown_lua_machine();
  ProgramRunner& runner = the_runner;
  runner.cart_state = create_state();
  set_collector_pacing(runner.cart_state, kCollectorPause, kCollectorStepMultiplier);
  register_all_functions(runner.cart_state);
  set_top(runner.cart_state, 0);
  push_nil(runner.cart_state);  // the cartridge's coroutine goes here
  push_nil(runner.cart_state);  // and a command's here
  // Collection happens between slice sections only.
  set_collector_running(runner.cart_state, false);
}

void reset_runtime_state() {
  ProgramRunner& runner = the_runner;
  if (runner.host.machine) machine::reset_memory_for_run(*runner.host.machine);
  if (runner.host.text) machine::reset_print(*runner.host.text);
  runner.elapsed_ticks = 0;
  runner.mainloop_kind = 0;
  runner.gc_strikes = 0;
  runner.last_strike_tick = 0;
  runner.hold_flag = false;
  runner.governor = FrameRateGovernor{};
}

void run_program(std::string_view text, bool is_command) {
  ProgramRunner& runner = the_runner;
  runner.has_draw = false;
  if (is_resume_command(text)) {
    resume_program(false);
    return;
  }
  if (text == "." || (text.empty() && runner.single_step)) {
    resume_program(true);
    return;
  }
  runner.single_step = false;
  runner.has_draw = text.find(" _draw") != std::string_view::npos;
  cpu_counters.system_cycles = 0;
  lua_reset_cpu_cycles();
  lua_set_cpu_cycles_slice_max(kRunSliceBudget);
  if (!runner.cart_state) reset_lua_machine();
  // The cartridge's prelude deleted the natives a prelude captures; a
  // command compiles its own prelude, so they are registered again.
  else if (is_command) register_all_functions(runner.cart_state);
  // A program that names the refund hook would reach the prelude's copy of
  // it: it gets no refunds, so that it cannot buy itself free cycles.
  set_cpu_refund_allowed(runner.cart_state, text.find("__refund_cpu__") == std::string_view::npos);

  runner.source = expand_program(text, runner.host.read_include);
  if (!runner.source.ok) {
    runner_print("can not #include", 6);
    report_not_started();
    return;
  }
  int token_count = 0;
  if (!is_command) {
    RunLimitCheck limits = check_run_limits(runner.source.text);
    if (!limits.may_run) {
      for (const std::string& message : limits.messages) runner_print(message, 6);
      report_not_started();
      return;
    }
    token_count = limits.token_count;
  }

  ProgramTextOptions options;
  options.is_command = is_command;
  options.global_api = runner.host.global_api;
  options.board_quirk = runner.board_id == "19488" || runner.board_id == "10388";
  std::string compiled_text;
  // A cartridge whose whole program is one command line ("ls", "load
  // game") runs that command too; a longer program keeps every line, even
  // when its first one starts with a command's name.
  std::string_view line = text;
  while (!is_command && !line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  const bool one_line = line.find('\n') == std::string_view::npos;
  CommandShorthand shorthand = is_command || one_line ? command_shorthand(line) : CommandShorthand{};
  switch (shorthand.kind) {
    case CommandShorthand::Kind::kCall: compiled_text = prelude_text() + " " + shorthand.call; break;
    case CommandShorthand::Kind::kConfig:
      if (runner.host.config_command) runner.host.config_command(shorthand.config_argument);
      compiled_text = build_program_text("", options);
      break;
    case CommandShorthand::Kind::kNone: compiled_text = build_program_text(runner.source.text, options); break;
  }
  if (compiled_text.size() > kIncludeBufferSize) {
    runner_print(is_command ? "syntax error" : "program too large", 6);
    report_not_started();
    return;
  }
  install_program(compiled_text, is_command, token_count);
}

void run_slice() {
  ProgramRunner& runner = the_runner;
  RunControl& run = control();
  const int rate = run.current_fps > 0 ? run.current_fps : 30;
  lua_set_cpu_cycles_slice_max(kCpuCyclesPerSecond / rate);
  lua_cpu_prepare_for_slice();
  runner.menu_item_chosen = false;
  printh_check_period(runner.printh_log, host::ruvo_get_time_ms());
  if (continue_waiting_print(runner.host.machine, runner.host.text)) return;
  // Programs without the built-in loop get their buttons and time here
  // (from their second tick on: the first runs the main chunk, which may
  // start the built-in loop).
  if (runner.mainloop_kind != 2 && runner.program_started && !runner.program_is_command) {
    runner.elapsed_ticks += 60 / rate;
    if (runner.host.update_buttons) runner.host.update_buttons();
  }
  if (!runner.frame_open && run.console_mode == kModeRunning) {
    runner.frame_open = true;
    if (runner.host.frame_started) runner.host.frame_started();
  }
  for (int section = 0; section < kMaxSliceSections; section++)
    if (!run_slice_section()) break;
  if (runner.hold_flag) runner.governor.frame_overran = true;
  if (runner.mainloop_kind == 2 && lua_get_cpu_cycles() > kButtonCatchUpCycles && runner.host.update_buttons)
    runner.host.update_buttons();
}

void suspend_program() {
  ProgramRunner& runner = the_runner;
  if (runner.host.reset_glitch_running) return;
  RunControl& run = control();
  machine::MachineState* machine = runner.host.machine;
  const bool cartridge_program = run.program_running && !runner.program_is_command;
  if (cartridge_program) {
    runner.resumable = runner.program != nullptr;
    if (runner.host.pause_sound) runner.host.pause_sound();
    save_cart_data();
    // Keys typed for the program are not left for the next one.
    if (runner.host.input) runner.host.input->keyboard.typed.clear();
  }
  if (machine) machine::reset_memory_on_stop(*machine, cartridge_program);
  if (runner.host.text) machine::reset_print(*runner.host.text);
  run.console_mode = kModeStopped;
  runner.hold_flag = false;
  if (runner.host.program_stopped) runner.host.program_stopped();
}

void resume_program(bool single_frame) {
  ProgramRunner& runner = the_runner;
  RunControl& run = control();
  if (!runner.resumable || !runner.cart_state) {
    runner_print("nothing to resume", 6);
    return;
  }
  // The cartridge's coroutine is the one kept for resuming.
  if (type_at(runner.cart_state, kCartridgeSlot) != ValueType::Thread) {
    runner_print("nothing to resume", 6);
    return;
  }
  runner.program = as_thread(value_at(runner.cart_state, kCartridgeSlot));
  runner.program_is_command = false;
  runner.single_step = single_frame;
  if (single_frame) run.current_fps = run.requested_fps;
  run.program_running = true;
  run.console_mode = kModeRunning;
  if (runner.host.resume_sound) runner.host.resume_sound();
  if (runner.host.block_buttons) runner.host.block_buttons();
}

}  // namespace tamori::runner
