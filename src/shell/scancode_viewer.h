// The scan-code viewer ("tamori -scancodes"): a window that shows which
// scancode each key sends, for writing the map_scancodes setting.
#pragma once

#include <string>
#include <vector>

#include "host/keys.h"
#include "host/platform.h"
#include "machine/interface_text.h"

namespace tamori::shell {

inline constexpr int kViewerWidth = 800, kViewerHeight = 480;
inline constexpr int kViewerGridColumns = 16, kViewerGridRows = 32;

// Every named key as "%20s:%03d", four to a line.
std::vector<std::string> scancode_key_listing();
// The boxed help text on map_scancodes.
std::vector<std::string> scancode_help_box();
std::string pressed_scancode_line(int scancode);

struct ScancodeViewer {
  std::vector<std::string> text;  // listing, help box and pressed lines
  std::vector<uint8_t> pixels = std::vector<uint8_t>(size_t(kViewerWidth) * kViewerHeight);
};

// Records the keys pressed this frame and redraws: the text on the left,
// the grid of scancodes 000..511 on the right with held keys highlighted.
// Returns the lines added for newly pressed keys.
std::vector<std::string> update_scancode_viewer(ScancodeViewer& viewer, const host::KeyStates& keys,
                                                const machine::Font& font);
// Where scancode `code`'s cell starts in the viewer's picture.
void scancode_cell_position(int code, int* x, int* y);

// Opens the window and runs the viewer until it is closed. Without a window
// it prints the listing and the help text only. Returns the exit status.
int run_scancode_viewer(const host::Platform& platform, const std::string& program_folder);

}  // namespace tamori::shell
