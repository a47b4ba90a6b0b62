#include "runner/bindings/pause_menu_bindings.h"

#include "runner/program_runner.h"

namespace tamori::runner {
namespace {

int pause_menu_only_extcmd(ThreadState* thread) {
  std::string_view command;
  if (type_at(thread, 1) == ValueType::String && string_at(thread, 1, &command)) pause_menu_extcmd(thread, command);
  return 0;
}

}  // namespace

bool pause_menu_extcmd(ThreadState* thread, std::string_view command) {
  const RunnerHost& host = program_runner().host;
  PauseMenuRequest request;
  if (command == "pause") {
    request = integer_at(thread, 2) >= 1 ? PauseMenuRequest::kMainPageKeepSelection : PauseMenuRequest::kMainPage;
  } else if (command == "controls") {
    request = PauseMenuRequest::kControls;
  } else {
    return false;
  }
  if (host.open_pause_menu) host.open_pause_menu(request);
  return true;
}

void register_pause_menu_extcmd(ThreadState* state) { register_native(state, "__extcmd", pause_menu_only_extcmd); }

}  // namespace tamori::runner
