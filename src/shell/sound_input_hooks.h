// The program runner's sound and input wiring: the state its sfx, music,
// btn, btnp and serial functions work on, silence while a program is
// stopped, the serial channels' frame hooks, and serial channel 0x808
// feeding the mixer's sample ring.
#pragma once

#include "shell/console_state.h"

namespace tamori::shell {

// Part of connect_program_runner: fills the runner host's sound and input
// fields and connects the serial sample sink to the sound state.
void connect_sound_and_input(Console& console);

// Part of run_cart: a new run starts in silence with fresh serial channels
// and an empty sample ring; a program that started lets the sound on.
void start_run_sound_and_input(Console& console);

}  // namespace tamori::shell
