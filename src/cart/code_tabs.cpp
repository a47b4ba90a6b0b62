#include "cart/code_tabs.h"

#include <algorithm>

namespace tamori::cart {

std::vector<std::string> split_code_tabs(std::string_view code) {
  std::vector<std::string> tabs(kCodeTabCount);
  std::size_t start = 0;
  for (int tab = 0; tab < kCodeTabCount - 1; ++tab) {
    std::size_t separator = code.find(kCodeTabSeparator, start);
    if (separator == std::string_view::npos) {
      tabs[tab] = std::string(code.substr(start));
      return tabs;
    }
    tabs[tab] = std::string(code.substr(start, separator - start));
    start = separator + kCodeTabSeparator.size();
  }
  tabs[kCodeTabCount - 1] = std::string(code.substr(start));
  return tabs;
}

std::string merge_code_tabs(const std::vector<std::string>& tabs, int edited_tab) {
  int last = std::min<int>(edited_tab, static_cast<int>(tabs.size()) - 1);
  for (int tab = 0; tab < static_cast<int>(tabs.size()); ++tab)
    if (!tabs[tab].empty()) last = std::max(last, tab);
  std::string code;
  for (int tab = 0; tab <= last; ++tab) {
    if (tab > 0) code += kCodeTabSeparator;
    code += tabs[tab];
  }
  return code;
}

}  // namespace tamori::cart
