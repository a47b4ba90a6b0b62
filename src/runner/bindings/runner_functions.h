// The built-ins that belong to the runner: flip, holdframe, the main loop's
// helpers (_update_buttons, _update_framerate, _mark_cpu ...), superyield,
// the CPU refund, the escape flag and stop.
#pragma once

#include "runner/language.h"

namespace tamori::runner {

void register_runner_functions(ThreadState* state);

// What flip does at the end of a frame.
void end_frame();

}  // namespace tamori::runner
