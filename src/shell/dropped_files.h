// Files the user drops on the window. A cartridge is kept for
// load("@dropped"); a picture of at most 128 x 128 becomes serial channel
// 0x802's data, any other file of at most 512 KB channel 0x800's.
#pragma once

#include <cstddef>
#include <string>

#include "shell/console_state.h"

namespace tamori::shell {

inline constexpr std::size_t kMaxDroppedFileBytes = 0x80000;
inline constexpr int kMaxDroppedPictureSide = 128;
inline constexpr int kDroppedMessageMs = 2000;

// Handles the path the host posted (AppState::dropped_path) and clears it.
void handle_dropped_file(Console& console);

}  // namespace tamori::shell
