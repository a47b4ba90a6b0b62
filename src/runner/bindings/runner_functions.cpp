#include "runner/bindings/runner_functions.h"

#include <algorithm>

#include "host/clock.h"
#include "runner/language.h"
#include "lang/cpu_counters.h"
#include "runner/bindings/print_bindings.h"
#include "runner/program_runner.h"
#include "machine/machine_state.h"
#include "machine/memory.h"
#include "machine/memory_map.h"

namespace tamori::runner {
namespace {

constexpr int kMaxFrameRate = 120;
constexpr uint8_t kMultipleDisplaysFlag = 0x01;  // in 0x5f36
constexpr int kMaxDisplayRequest = 7;
constexpr const char* kSingleDisplayWarning =
    "** _map_display has been deprecated when running on a single display ** (see 0.2.6b release post)\n";

ProgramRunner& runner() { return program_runner(); }

int flip(ThreadState*) {
  end_frame();
  return 0;
}

int hold_frame(ThreadState*) {
  runner().hold_flag = true;
  return 0;
}

int update_buttons(ThreadState* thread) {
  runner().elapsed_ticks += integer_at(thread, 1);
  if (runner().host.update_buttons) runner().host.update_buttons();
  return 0;
}

int update_framerate_native(ThreadState*) {
  ProgramRunner& r = runner();
  if (!r.host.control) return 0;
  GovernorInputs inputs = r.host.governor_inputs ? r.host.governor_inputs() : GovernorInputs{};
  update_framerate(r.governor, *r.host.control, inputs);
  return 0;
}

int set_mainloop_exists(ThreadState* thread) {
  runner().mainloop_kind = integer_at(thread, 1);
  return 0;
}

// A rate outside 1..120 would make the slice budget meaningless; such
// requests are taken as 30.
int set_fps(ThreadState* thread) {
  int rate = integer_at(thread, 1);
  if (rate < 1 || rate > kMaxFrameRate) rate = 30;
  if (RunControl* control = runner().host.control) {
    control->current_fps = rate;
    control->requested_fps = rate;
  }
  return 0;
}

int mark_cpu(ThreadState* thread) {
  int slot = std::clamp(integer_at(thread, 1), 0, 2);
  runner().governor.mark_cycles[size_t(slot)] = lua_get_cpu_cycles();
  runner().governor.mark_times[size_t(slot)] = host::ruvo_get_time_ms();
  return 0;
}

// Displays above 0 are only for programs that asked for several displays
// (0x5f36 bit 0x01); on a single-display layout the request still goes
// through, with a one-time note to standard output.
int map_display(ThreadState* thread) {
  ProgramRunner& r = runner();
  const int display = integer_at(thread, 1);
  machine::MachineState* machine = r.host.machine;
  if (display != 0) {
    const bool several_displays = machine && (machine::read_memory_byte(*machine, 0x5f36) & kMultipleDisplaysFlag);
    if (!several_displays) {
      push_boolean(thread, false);
      return 1;
    }
    if (r.host.single_display_layout && !r.map_display_warned) {
      r.map_display_warned = true;
      if (r.host.write_stdout) r.host.write_stdout(kSingleDisplayWarning);
    }
  }
  if (machine) machine::set_draw_display(*machine, std::clamp(display, 0, kMaxDisplayRequest));
  push_boolean(thread, true);
  return 1;
}

int stop(ThreadState* thread) {
  ProgramRunner& r = runner();
  if (r.host.reset_glitch_running) return 0;
  save_cart_data();
  if (r.host.control) r.host.control->pending_action = kActionStop;
  if (machine::MachineState* machine = r.host.machine) {
    machine->registers.camera_x = 0;
    machine->registers.camera_y = 0;
  }
  if (get_top(thread) >= 1) {
    std::string_view text;
    std::string owned;
    if (!string_at(thread, 1, &text)) {
      owned = std::string("[") + type_name_at(thread, 1) + "]";
      text = owned;
    }
    // Also as a console line: the stopped console shows its text screen.
    if (r.host.program_print) r.host.program_print(text, 6);
    print_function(thread);
  }
  lua_cpu_superyield();
  return 0;
}

int get_menu_item_selected(ThreadState* thread) {
  int item = integer_at(thread, 1);
  if (item < 1 || item > kMenuItemCount) return 0;
  ProgramRunner& r = runner();
  if (!r.menu_selected[size_t(item - 1)]) return 0;
  r.menu_selected[size_t(item - 1)] = false;
  push_number(thread, r.menu_selection_values[size_t(item - 1)]);
  return 1;
}

}  // namespace

void end_frame() {
  ProgramRunner& r = runner();
  if (r.host.record_performance) r.host.record_performance();
  // A second full update in the same frame would consume the presses and
  // run the repeat counters at twice their rate.
  if (r.host.read_buttons) r.host.read_buttons();
  r.hold_flag = false;
  if (r.host.frame_ended) r.host.frame_ended();
  r.frame_open = false;
  lua_reset_cpu_cycles();
  cpu_counters.system_cycles = 0;
  if (r.single_step && r.host.control) {
    r.host.control->pending_action = kActionStop;
    if (r.host.machine) r.host.machine->registers.cursor_x = r.host.machine->registers.cursor_y = 0;
  }
  lua_cpu_superyield();
}

void register_runner_functions(ThreadState* state) {
  register_native(state, "flip", flip);
  register_native(state, "__flip", flip);
  register_native(state, "holdframe", hold_frame);
  register_native(state, "_startframe", hold_frame);
  register_native(state, "_update_buttons", update_buttons);
  register_native(state, "_update_framerate", update_framerate_native);
  register_native(state, "_set_mainloop_exists", set_mainloop_exists);
  register_native(state, "_set_fps", set_fps);
  register_native(state, "_mark_cpu", mark_cpu);
  register_native(state, "_map_display", map_display);
  register_native(state, "stop", stop);
  register_native(state, "__stop", stop);
  register_native(state, "_get_menu_item_selected", get_menu_item_selected);
}

}  // namespace tamori::runner
