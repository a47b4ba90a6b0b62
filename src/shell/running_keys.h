// The keys the console takes while a program runs: typed characters go
// into the running-key buffer (input.keyboard.typed, which stat(30) and
// stat(31) read), Ctrl with a letter stores a code of its own and Ctrl+V
// pastes the host clipboard. Ctrl+P (the performance monitor) and Ctrl+R
// (reset) are handled with the other hot keys.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "shell/console_state.h"

namespace tamori::shell {

inline constexpr std::size_t kRunningKeyBufferSize = 256;
// Host text kept while no running tick takes it.
inline constexpr std::size_t kMaxPendingTypedText = 1024;

// Appends typed tmscii characters as the buffer keeps them: "A".."Z" as
// 128..153 (the glyph range), DEL as 8, other codes up to 153 unchanged,
// higher codes dropped; nothing beyond kRunningKeyBufferSize.
void store_typed_characters(std::string& buffer, std::string_view tmscii);
// Ctrl with letter 'a'..'z': the letter's code plus 95 (Ctrl+A is 192).
void store_ctrl_letter(std::string& buffer, char letter);

// Once per running tick: takes the host's typed text and Ctrl combinations.
void collect_running_keys(Console& console);

}  // namespace tamori::shell
