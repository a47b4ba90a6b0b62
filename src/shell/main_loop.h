// One iteration of the console's host loop: hot keys, pending actions, the
// tick accumulator, the skip-draw rule and the ticks themselves.
#pragma once

#include <cstdint>

#include "shell/console_state.h"

namespace tamori::shell {

// Adds dt (clamped to 32 s) worth of ticks at `tick_rate` to a 16.16
// accumulator and clamps it below two frames (or exactly two at 60 fps).
int32_t advance_frame_accumulator(int32_t accumulator, int32_t dt_ms, int tick_rate, int current_fps);

// How many idle iterations in a row may skip drawing for a sleep setting.
int skip_draw_bound(int sleep_ms);

// The sleep that applies now: foreground or background.
int applicable_sleep_ms(const Console& console);

// The fewest milliseconds after which a 16.16 accumulator at `tick_rate`
// owes a whole tick (0 when it already does).
int32_t ms_until_tick_owed(int32_t accumulator, int tick_rate, int current_fps);

// How long the host loop sleeps before this iteration: the applicable sleep
// or, with a window open, until the next tick is due if that is later (an
// iteration that owes no tick would draw nothing new), at most 100 ms.
// Headless consoles sleep the setting alone.
int iteration_sleep_ms(const Console& console, int32_t now_ms);

// Sets the sound volume in the framework and the console settings.
void set_sound_volume(int volume);
// Volume hot keys: the new volume after Ctrl+'-' / Ctrl+'='.
int volume_down(int volume);
int volume_up(int volume);
std::string volume_bar_text(int volume);
void toggle_mute(Console& console, int32_t now_ms);
void display_system_volume(Console& console, int32_t now_ms);

// A running, unpaused program that set bits 0 and 2 of 0x5f2d has the
// pointer locked to the window.
bool should_be_pointer_locked(const Console& console);

// Reads the buttons for this tick with the console's current settings and
// state (once a frame while a program runs, through the runner).
void update_console_buttons(Console& console);

void ruvo_main_update(Console& console);

}  // namespace tamori::shell
