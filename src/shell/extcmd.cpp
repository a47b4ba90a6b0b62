#include "shell/extcmd.h"
#include "shell/reset_glitch.h"

#include "host/clock.h"
#include "host/config.h"
#include "lang/cpu_counters.h"
#include "runner/program_runner.h"
#include "shell/cartridge_runner.h"
#include "shell/console_capture.h"
#include "shell/message_bar.h"
#include "shell/pause_menu.h"
#include "shell/system_commands.h"

namespace tamori::shell {
namespace {

constexpr int kUnknownMessageMs = 2000;

void show(Console& console, const std::string& text, int milliseconds) {
  show_message(console.app.message, text, milliseconds, host::ruvo_get_time_ms());
}

void set_output_base_name(Console& console, const std::optional<std::string>& text) {
  std::string name = text.value_or("");
  name = name.substr(0, name.find('.'));
  console.commands.output_base_name = name.substr(0, kMaxOutputBaseNameLength);
}

}  // namespace

void reset_command_rate_limits(Console& console) { console.commands.folder_openings = 0; }

void command_extcmd(Console& console, const ExtcmdRequest& request) {
  if (!request.command || request.command->size() > kMaxExtcmdTextLength) return;
  const std::string& command = *request.command;
  ExtcmdRequest checked = request;
  if (checked.text && checked.text->size() > kMaxExtcmdTextLength) checked.text.reset();

  if (capture_extcmd(console, command, checked)) return;
  if (command == "set_filename") {
    set_output_base_name(console, checked.text);
    return;
  }
  if (command == "pause") {
    // A second argument of 1 or more keeps the selection: the prelude's
    // flip asks for that when a menu callback keeps the menu up.
    open_pause_menu(console, request.a >= 1);
    return;
  }
  if (command == "controls") {
    open_controls_picture(console);
    return;
  }
  if (command == "reset") {
    if (request_reset_glitch(console, host::ruvo_get_time_ms())) lang::lua_cpu_superyield();
    return;
  }
  if ((command == "breadcrumb" || command == "go_back") &&
      runner::run_chain_top(runner::program_runner().run_chain)) {
    follow_current_breadcrumb(console);
    lang::lua_cpu_superyield();
    return;
  }
  if (command == "shutdown") {
    console.app.quit = true;
    return;
  }
  if (command == "set_title") {
    if (console.app.platform.set_title && checked.text)
      console.app.platform.set_title(console.app.platform.context, *checked.text);
    return;
  }
  show(console, "unknown extcmd:" + command, kUnknownMessageMs);
}

}  // namespace tamori::shell
