// Where the program runner meets the console: the runner's host callbacks,
// running the working cartridge, and the cartridge named on the command
// line.
#pragma once

#include <optional>
#include <string>

#include "shell/console_state.h"

namespace tamori::shell {

// Points the runner at this console (its machine, messages, files).
void connect_program_runner(Console& console);

// The loaders' view of the console: data folder, messages, console lines.
cart::CartridgeHost console_cartridge_host(Console& console);
// The clock's milliseconds plus the calendar seconds, unless a headless
// tool fixed the seed.
uint32_t console_random_seed(const Console& console);

// Runs the working cartridge from the start.
void run_cart(Console& console);

// The board identifier of a cartridge file in the board's cache folder
// ("bbs/" in the data folder): the run of a..z, 0..9, "_" and "-" that
// ends just before ".tm" in its name. Empty for any other file.
std::string board_cartridge_id(const std::string& file_name, const std::string& data_folder);

// Goes back along the run chain: loads the top entry's cartridge, requests
// a run with its parameter and drops the entry. False when the chain is
// empty or the cartridge cannot be loaded.
bool follow_current_breadcrumb(Console& console);

// Loads the cartridge named on the command line. In execute mode a failure
// ends the console with status 1; otherwise the cartridge runs when -run or
// -x asked for it.
std::optional<int> start_command_line_cartridge(Console& console);

// Console printing: the console text screen, or standard output in execute
// mode while no program runs.
void print_console_line(Console& console, std::string_view text, int colour);
void write_standard_output(Console& console, std::string_view text);

}  // namespace tamori::shell
