#include "shell/command_bindings.h"

#include "shell/extcmd.h"
#include "shell/help_command.h"
#include "shell/system_commands.h"

namespace tamori::shell {
namespace {

using runner::ThreadState;
using runner::ValueType;

Console* bound_console = nullptr;

std::optional<std::string> optional_string(ThreadState* thread, int index) {
  std::string_view text;
  if (runner::get_top(thread) < index || runner::type_at(thread, index) != ValueType::String ||
      !runner::string_at(thread, index, &text))
    return std::nullopt;
  return std::string(text);
}

int load_native(ThreadState* thread) {
  LoadRequest request;
  request.argument_count = runner::get_top(thread);
  request.name = optional_string(thread, 1);
  request.breadcrumb = optional_string(thread, 2);
  request.parameter = optional_string(thread, 3);
  std::optional<bool> result = command_load(*bound_console, request);
  if (!result) return 0;
  runner::push_boolean(thread, *result);
  return 1;
}

int extcmd_native(ThreadState* thread) {
  ExtcmdRequest request;
  request.command = optional_string(thread, 1);
  request.text = optional_string(thread, 2);
  request.a = runner::integer_at(thread, 2);
  request.b = runner::integer_at(thread, 3);
  command_extcmd(*bound_console, request);
  return 0;
}

using NamedCommand = void (*)(Console&, const std::optional<std::string>&);
using PlainCommand = void (*)(Console&);

template <NamedCommand command>
int named_native(ThreadState* thread) {
  command(*bound_console, optional_string(thread, 1));
  return 0;
}

template <PlainCommand command>
int plain_native(ThreadState*) {
  command(*bound_console);
  return 0;
}

void print_lines(Console& console, std::initializer_list<const char*> lines) {
  for (const char* line : lines) command_print(console, line, 6);
}

void splore(Console& console) {
  if (command_allowed(console)) print_lines(console, {"splore is not available", "in this version."});
}

int login_native(ThreadState* thread) {
  command_print(*bound_console, "login unavailable", 6);
  runner::push_nil(thread);
  return 1;
}

int upload_native(ThreadState*) {
  command_print(*bound_console, "upload is not available", 6);
  return 0;
}

int nothing_native(ThreadState*) { return 0; }

int help_native(ThreadState* thread) {
  HelpRequest request;
  request.given = runner::get_top(thread) >= 1 && runner::type_at(thread, 1) != ValueType::Nil;
  request.topic = optional_string(thread, 1);
  command_help(*bound_console, request);
  return 0;
}

}  // namespace

void register_system_commands(Console& console, ThreadState* state) {
  bound_console = &console;
  runner::register_native(state, "__load", load_native);
  runner::register_native(state, "__extcmd", extcmd_native);
  runner::register_native(state, "run", named_native<command_run>);
  runner::register_native(state, "save", named_native<command_save>);
  runner::register_native(state, "cd", named_native<command_cd>);
  runner::register_native(state, "mkdir", named_native<command_mkdir>);
  runner::register_native(state, "ls", named_native<command_ls>);
  runner::register_native(state, "dir", named_native<command_ls>);
  runner::register_native(state, "folder", named_native<command_folder>);
  runner::register_native(state, "help", help_native);
  runner::register_native(state, "man", help_native);
  runner::register_native(state, "info", plain_native<command_info>);
  runner::register_native(state, "reboot", plain_native<command_reboot>);
  runner::register_native(state, "shutdown", plain_native<command_shutdown>);
  runner::register_native(state, "exit", plain_native<command_shutdown>);
  runner::register_native(state, "backup", plain_native<command_backup>);
  runner::register_native(state, "install_demos", plain_native<command_install_demos>);
  runner::register_native(state, "install_games", plain_native<command_install_games>);
  runner::register_native(state, "splore", plain_native<splore>);
  runner::register_native(state, "login", login_native);
  runner::register_native(state, "logout", login_native);
  runner::register_native(state, "upload", upload_native);
  runner::register_native(state, "export", nothing_native);
  runner::register_native(state, "import", nothing_native);
}

}  // namespace tamori::shell
