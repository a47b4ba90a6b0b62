// The system commands that programs call (load, run, save, cd, mkdir, ls,
// info, backup, install_demos, folder, reboot, shutdown ...), as plain
// functions over the console. command_bindings registers them as cartridge
// functions; extcmd and help have files of their own.
//
// "Allowed" commands (those that change files, folders or the machine) run
// only when no program is running, or in execute mode; otherwise they do
// nothing.
#pragma once

#include <optional>
#include <string>

#include "shell/console_state.h"

namespace tamori::shell {

inline constexpr std::size_t kMaxCommandNameLength = 512;
inline constexpr std::size_t kMaxBreadcrumbLabelLength = 16;
inline constexpr std::size_t kMaxRunParameterLength = 1024;
inline constexpr int kLsPageLines = 17;
inline constexpr int kFolderOpeningsPerMinute = 10;

// A console line from a command: standard output in execute mode, else the
// console text screen.
void command_print(Console& console, const std::string& text, int colour);

bool command_allowed(const Console& console);
bool reset_glitch_running(const Console& console);

// load(name, breadcrumb, param); `argument_count` as called. Nothing for
// the calls that return nothing (a name that is no string or too long).
struct LoadRequest {
  std::optional<std::string> name;
  std::optional<std::string> breadcrumb;
  std::optional<std::string> parameter;
  int argument_count = 0;
};
std::optional<bool> command_load(Console& console, const LoadRequest& request);
void report_load_failure(Console& console);

// run([param]).
void command_run(Console& console, const std::optional<std::string>& parameter);

// save([name]); no name (or an empty one) is the quick save.
void command_save(Console& console, const std::optional<std::string>& name);
void command_cd(Console& console, const std::optional<std::string>& folder);
void command_mkdir(Console& console, const std::optional<std::string>& name);
// The first page of a listing; the rest waits in unfinished_listing.
void command_ls(Console& console, const std::optional<std::string>& path);
// Prints the next page of an unfinished listing (the main loop, mode 0).
void continue_listing(Console& console);
void command_info(Console& console);
void command_backup(Console& console);
void command_install_demos(Console& console);
void command_install_games(Console& console);
void command_folder(Console& console, const std::optional<std::string>& location);
void command_reboot(Console& console);
void command_shutdown(Console& console);

// The host folder of the current folder, with a trailing "/".
std::string current_host_folder(const Console& console);
// Opens a host folder in the desktop's file browser, at most
// kFolderOpeningsPerMinute times a minute.
void open_host_folder(Console& console, const std::string& folder);

}  // namespace tamori::shell
