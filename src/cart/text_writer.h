// Writing the text cartridge format (".tm"): the header and version lines,
// then each section that holds something, in a fixed order.
#pragma once

#include <cstdio>
#include <string>

#include "cart/cartridge.h"
#include "cart/tmscii_utf8.h"

namespace tamori::cart {

inline constexpr const char* kTextCartridgeHeader = "tamori cartridge // https://example.invalid";

// The whole file text, "\n" line ends. `uppercase` chooses how code
// letters 65..90 are written; the reader takes either form back.
std::string write_cartridge_text(const Cartridge& cartridge, UppercaseForm uppercase = UppercaseForm::kAscii);

// 0 on success, 1 when the file cannot be written.
int save_cartridge_text(const Cartridge& cartridge, const std::string& path);
int save_cartridge_text(const Cartridge& cartridge, std::FILE* file);

}  // namespace tamori::cart
