// The system commands as cartridge functions: load (as __load, which the
// prelude wraps), run, save, cd, mkdir, ls, dir, folder, help, man, info,
// reboot, shutdown, exit, backup, install_demos, install_games, splore,
// login, logout, upload, export, import and extcmd (as __extcmd).
#pragma once

#include "runner/language.h"
#include "shell/console_state.h"

namespace tamori::shell {

// Registers every command into a new language state; the functions act on
// `console`, which must outlive the state.
void register_system_commands(Console& console, runner::ThreadState* state);

}  // namespace tamori::shell
