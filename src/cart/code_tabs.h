// Code tabs: a cartridge's code is edited as up to 16 tabs, kept in the
// record joined by the separator line "-->8".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tamori::cart {

inline constexpr int kCodeTabCount = 16;
inline constexpr std::string_view kCodeTabSeparator = "\n-->8\n";

// Cuts at each separator, at most kCodeTabCount tabs (the rest stays in the
// last one). Always kCodeTabCount entries.
std::vector<std::string> split_code_tabs(std::string_view code);

// Joins tabs 0..H with the separator, H being the highest non-empty tab (or
// `edited_tab` when that is higher).
std::string merge_code_tabs(const std::vector<std::string>& tabs, int edited_tab = 0);

}  // namespace tamori::cart
