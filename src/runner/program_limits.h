// The three limits on a cartridge program (tokens, characters, compressed
// size) and the console messages that go with them, for the program runner,
// the INFO command and saving. All take the code with its #include lines
// already expanded, except where a parameter says otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamori::runner {

inline constexpr int kTokenLimit = 8192;
inline constexpr size_t kCharacterLimit = 65536;
inline constexpr size_t kShownCharacterLimit = 65535;  // what INFO shows
inline constexpr size_t kCompressedSizeLimit = 15616;
inline constexpr int kMemoryBytesPerToken = 12;

inline constexpr uint8_t kWithinLimitColour = 6;
inline constexpr uint8_t kOverLimitColour = 9;

struct ConsoleLine {
  std::string text;
  uint8_t colour = kWithinLimitColour;
};

struct RunLimitCheck {
  bool may_run = false;
  int token_count = 0;     // 0 when the character limit already failed
  int token_overhead = 0;  // bytes charged to the memory meter
  std::vector<std::string> messages;  // printed instead of running
};

// Characters first ("program exceeds char limit"), then tokens ("program too
// large"); each failure adds its count line.
RunLimitCheck check_run_limits(std::string_view expanded_code);

// The compressed size of the code as it would be stored in a cartridge.
size_t compressed_code_size(std::string_view expanded_code);

// The "tokens:", "chars:" and "compressed:" lines of INFO, each coloured by
// whether it is within its limit.
std::vector<ConsoleLine> info_limit_lines(std::string_view expanded_code);

enum class SaveTarget { kText, kPicture, kRom };

struct SaveLimitCheck {
  bool may_save = false;
  std::vector<std::string> messages;  // printed before saving (or instead)
  std::string after_save;             // printed once the save succeeded
};

// `code` is the program as written, `expanded_code` with its includes in.
SaveLimitCheck check_save_limits(std::string_view code, std::string_view expanded_code,
                                 SaveTarget target);

}  // namespace tamori::runner
