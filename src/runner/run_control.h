// The few values the program runner shares with the console's main loop:
// whether a program runs, what the next tick must do, and the frame rates.
// The shell's machine-state record extends this one (shell/console_state.h),
// so both sides read and write the same fields.
#pragma once

namespace tamori::runner {

enum ConsoleMode : int { kModeStopped = 0, kModeRunning = 1, kModeBooting = 2 };

enum PendingAction : int {
  kActionNone = 0,
  kActionRun = 1,
  kActionStop = 2,
  kActionReboot = 3,
  kActionStopWithError = 4,
  kActionRebootToo = 5,
  kActionResetLanguage = 6,
};

struct RunControl {
  int console_mode = kModeBooting;
  int pending_action = kActionNone;
  bool program_running = false;  // a cartridge program (not a command) is loaded
  int current_fps = 30;
  int requested_fps = 30;
};

}  // namespace tamori::runner
