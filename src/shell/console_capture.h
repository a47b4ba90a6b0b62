// The console's side of capture: the screen as shown, the capture keys, the
// frames the main loop and flip record, extcmd's capture words and the
// -export option, over the capture subsystem's files and formats.
#pragma once

#include <string>

#include "capture/output_names.h"
#include "machine/display.h"
#include "shell/console_state.h"
#include "shell/extcmd.h"

namespace tamori::shell {

// The 128 x 128 picture as it is shown: the program's screen through the
// display palette (the previous picture while a frame is unfinished), or
// the console text screen.
void shown_screen(const Console& console, machine::Picture& picture);

capture::OutputNaming console_output_naming(const Console& console);

// Screenshot at `scale` (0: the screenshot_scale setting). True when saved.
bool take_screenshot(Console& console, int scale, bool to_output_folder);

struct SavedGif {
  int status = 0;  // capture::GifStatus
  int seconds = 0;
};
// The recorded video as a GIF at `scale` (0: the gif_scale setting).
SavedGif save_recorded_gif(Console& console, int scale, bool to_output_folder);

// The frames of one tick of the main loop: none while the cartridge records
// at every flip or gif_len is 0; one per 1/30 s of console time.
void record_tick_video(Console& console, bool paused);

// Ctrl+6, Ctrl+8, Ctrl+9 and their function-key alternatives.
void handle_capture_keys(Console& console, int32_t now_ms);

// extcmd's capture words; false for any other word.
bool capture_extcmd(Console& console, const std::string& command, const ExtcmdRequest& request);

// Lets each flip record a frame while the cartridge records at every flip.
void connect_flip_recording(Console& console);

// -export NAME: the sound export of the loaded cartridge. The exit status.
int run_sound_export(Console& console);

}  // namespace tamori::shell
