#include "shell/reset_glitch.h"

#include "machine/memory.h"
#include "machine/memory_functions.h"
#include "runner/program_runner.h"
#include "runner/random_generator.h"

namespace tamori::shell {
namespace {

constexpr int kGlitchStart = 1;
constexpr int kScrambleFrame = 2;
constexpr int kRunGlitchStart = 3;

void set_glitch_frames(Console& console, int frames) {
  console.pstate.glitch_frames = frames;
  runner::program_runner().host.reset_glitch_running = frames > 0;
}

int last_glitch_frame(const Console& console) { return console.pstate.current_fps == 60 ? 12 : 6; }

}  // namespace

bool request_reset_glitch(Console& console, int32_t now_ms) {
  if (console.pstate.glitch_frames > 0 || now_ms - console.commands.last_reset_request_ms < kResetIntervalMs)
    return false;
  console.commands.last_reset_request_ms = now_ms;
  set_glitch_frames(console, kGlitchStart);
  return true;
}

void start_run_glitch(Console& console) { set_glitch_frames(console, kRunGlitchStart); }

bool reset_glitch_holds_program(const Console& console) { return console.pstate.glitch_frames > kScrambleFrame; }

void advance_reset_glitch(Console& console) {
  VmState& pstate = console.pstate;
  if (pstate.glitch_frames <= 0) return;
  if (pstate.glitch_frames >= last_glitch_frame(console)) {
    set_glitch_frames(console, 0);
    pstate.pending_action = kActionRun;
    runner::ProgramRunner& runner = runner::program_runner();
    if (runner.next_parameter.empty()) runner.next_parameter = runner.current_parameter;
    return;
  }
  set_glitch_frames(console, pstate.glitch_frames + 1);
  if (pstate.glitch_frames == kScrambleFrame) scribble_memory(*console.machine);
}

void scribble_memory(machine::MachineState& machine) {
  uint32_t* state = machine.random_state;
  auto random = [state](uint32_t n) { return int32_t(runner::random_below(state, n)); };
  auto poke = [&machine](int32_t address, int32_t value) { machine::write_memory_byte(machine, uint32_t(address), uint32_t(value)); };
  const uint8_t keep_on_stop = machine::read_memory_byte(machine, 0x5f2e);
  if (random(8) == 0) poke(0x5f2c, random(4));
  for (int i = 0; i < 4; i++) poke(0x5f40, random(256));
  if (random(4) == 0) poke(0x5f5e, random(16) | 0xf0);
  for (int i = 0; i < 40; i++) {
    const int32_t address = random(0x3000);
    poke(address, random(256));
  }
  for (int i = 0; i < 2; i++) {
    const int32_t address = 0x5f00 + random(32);
    poke(address, random(140));
  }
  if (random(4) == 0)
    for (int32_t address = 0x5f31; address <= 0x5f33; address++) poke(address, random(256));
  if (random(4) == 0)
    for (int32_t address = 0x5f58; address <= 0x5f5b; address++) poke(address, random(256));
  for (int i = 0; i < 2; i++) {
    const int32_t h = random(10240);
    const int32_t forward = random(2048), back = random(2048);
    machine::memory_copy(machine, 0x400 + h, 0x400 + h + forward - back, random(1024));
    const int32_t dest = random(0x2c00), src = random(0x2c00);
    machine::memory_copy(machine, dest, src, random(1024));
  }
  for (int i = 0; i < 2; i++) {
    const int32_t dest = random(0x2e00), value = random(256);
    machine::memory_set(machine, dest, value, random(512));
  }
  poke(0x5f2e, keep_on_stop);
}

}  // namespace tamori::shell
