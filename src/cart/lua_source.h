// Reading a plain program source file (".lua") as the code of a new
// cartridge. The file may be UTF-8, UTF-16 or UTF-32, chosen by its
// byte-order mark.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "cart/cartridge.h"

namespace tamori::cart {

// Only this much of a source file is read.
inline constexpr std::size_t kMaxSourceFileSize = 131071;
// The code is cut to this length before its final "\n".
inline constexpr std::size_t kMaxSourceCodeLength = 65534;

// The code text: code units whose upper bytes are zero become that byte,
// others are written as "\x" and their value in hex; "\r" is dropped; the
// result is converted to tmscii, cut and ended with "\n".
std::string source_bytes_to_code(std::span<const uint8_t> bytes);

// A new cartridge holding the file as its code; null when it cannot be read.
std::unique_ptr<Cartridge> load_source_file(const std::string& path);

}  // namespace tamori::cart
