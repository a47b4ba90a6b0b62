#include "shell/main_draw.h"

#include <algorithm>

#include "host/clock.h"
#include "lang/cpu_counters.h"
#include "runner/program_runner.h"
#include "machine/display_memory.h"
#include "machine/interface_text.h"
#include "shell/cpu_spinner.h"
#include "shell/key_config_screen.h"
#include "shell/message_bar.h"
#include "shell/pause_menu.h"
#include "shell/pause_menu_draw.h"
#include "shell/performance_monitor.h"

namespace tamori::shell {

void draw_exit_bar(machine::Picture& picture, const machine::Font& font) {
  machine::Canvas canvas{picture.data(), machine::kScreenSide, machine::kScreenSide};
  machine::canvas_fill_rect(canvas, 0, 121, 127, 127, 6);
  machine::canvas_fill_rect(canvas, 0, 120, 127, 120, 0);
  machine::draw_interface_text(canvas, font, kExitBarText, 1, 122, 1);
}

namespace {

void draw_spinner_if_busy(Console& console) {
  const runner::ProgramRunner& runner = runner::program_runner();
  SpinnerConditions conditions;
  conditions.program_running = console.pstate.program_running && console.pstate.console_mode == kModeRunning;
  conditions.program_draws = runner.has_draw;
  conditions.elapsed_ticks = runner.elapsed_ticks;
  conditions.load_since_flip = runner::cycles_to_frame_capacity(lang::lua_get_cpu_cycles(), console.pstate.requested_fps);
  if (cpu_spinner_shown(conditions)) draw_cpu_spinner(console.app.output_image, uint32_t(console.app.draw_count));
}

}  // namespace

void ruvo_main_draw(Console& console) {
  AppState& app = console.app;
  VmState& pstate = console.pstate;
  const int32_t now = host::ruvo_get_time_ms();

  app.draw_count++;
  if (app.draw_count == 5) app.fifth_draw_ms = now;
  if (pstate.pending_action != kActionNone) return;

  machine::back_page_clear(app.back_page);
  machine::MachineState& memory = *console.machine;
  const bool program_shown = pstate.program_running && pstate.console_mode == kModeRunning;
  // A frame still being worked on (its slice ran out before flip) is not
  // shown half-drawn: the previous picture stays.
  const bool frame_unfinished = program_shown && runner::program_runner().hold_flag;
  // Just after a cartridge menu item was chosen the menu stays over the
  // picture it was opened on, until the program's next slice.
  const bool menu_item_chosen = runner::program_runner().menu_item_chosen;
  if (pstate.load_hold_frames <= 0 && !frame_unfinished && !menu_item_chosen) {
    bool scanline_mode_used = false;
    if (program_shown) {
      scanline_mode_used = machine::compose_program_picture(memory, 0, app.output_image);
    } else {
      // With no program running the picture is the console text screen,
      // shown through the plain screen palette.
      const machine::DisplayRegisters plain;
      machine::compose_output_image(app.console_text.pixels.data(), plain, false, app.output_image);
      if (pstate.console_mode == kModeStopped && !key_config_shown(console))
        draw_exit_bar(app.output_image, app.data.font);
    }
    if (program_shown && pstate.pause_state == 0) draw_spinner_if_busy(console);
    if (scanline_mode_used || memory.extra_palette_flicker_requested) machine::flicker_start(app.flicker, now);
    memory.extra_palette_flicker_requested = false;
  }
  machine::back_page_put(app.back_page, app.output_image, 0, 0);
  if (program_shown && pause_menu_drawn(console)) draw_paused_menu(console);
  if (key_config_shown(console)) draw_key_config(console);
  if (program_shown && machine::compose_extra_displays(memory, app.back_page, app.options.tv_frame != 0))
    machine::flicker_start(app.flicker, now);

  machine::Canvas page{app.back_page.pixels.data(), app.back_page.width, app.back_page.height};
  draw_message_bar(app.message, app.data.font, page, now);

  if (machine::flicker_active(app.flicker, now)) machine::disturb_for_flicker(app.back_page, now);
  if (app.options.tv_frame)
    machine::draw_tv_frame(app.back_page, app.palette, app.data.tv_frame.pixels, app.data.tv_frame.width,
                           app.data.tv_frame.height);
  if (app.performance.shown && program_shown)
    draw_performance_monitor(machine::Canvas{app.back_page.pixels.data(), app.back_page.width, app.back_page.height},
                             app.data.font, app.performance, pstate.current_fps, pstate.requested_fps,
                             app.keys.shift);
  machine::apply_transform_screen(app.back_page, console_settings().transform_screen);
}

void present_back_page(Console& console) {
  AppState& app = console.app;
  if (!app.platform.present) return;
  app.argb_frame.resize(app.back_page.pixels.size());
  machine::back_page_to_argb(app.back_page, app.palette, app.argb_frame.data());
  host::PresentedFrame frame;
  frame.argb = app.argb_frame.data();
  frame.width = app.back_page.width;
  frame.height = app.back_page.height;
  frame.show_fps = host::ruvo_config().show_fps != 0;
  frame.fps = app.smoothed_fps >> 16;
  app.platform.present(app.platform.context, frame);
}

}  // namespace tamori::shell
