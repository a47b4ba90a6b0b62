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

struct CommandBinding {
  const char* name;
  runner::NativeFunction function;
};

// Every system command a program can call, with its other names.
constexpr CommandBinding kCommandBindings[] = {
    {"__load", load_native},
    {"__extcmd", extcmd_native},
    {"run", named_native<command_run>},
    {"save", named_native<command_save>},
    {"cd", named_native<command_cd>},
    {"mkdir", named_native<command_mkdir>},
    {"ls", named_native<command_ls>},
    {"dir", named_native<command_ls>},
    {"folder", named_native<command_folder>},
    {"help", help_native},
    {"man", help_native},
    {"info", plain_native<command_info>},
    {"reboot", plain_native<command_reboot>},
    {"shutdown", plain_native<command_shutdown>},
    {"exit", plain_native<command_shutdown>},
    {"backup", plain_native<command_backup>},
    {"install_demos", plain_native<command_install_demos>},
    {"install_games", plain_native<command_install_games>},
    {"splore", plain_native<splore>},
    {"login", login_native},
    {"logout", login_native},
    {"upload", upload_native},
    {"export", nothing_native},
    {"import", nothing_native},
};

}  // namespace

void register_system_commands(Console& console, ThreadState* state) {
  bound_console = &console;
  for (const CommandBinding& binding : kCommandBindings) runner::register_native(state, binding.name, binding.function);
}

}  // namespace tamori::shell
