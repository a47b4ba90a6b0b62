#include "runner/program_limits.h"

#include <cstdio>

#include "cart/code_compress.h"
#include "lang/token_scanner.h"

namespace tamori::runner {
namespace {

std::string format_count(const char* format, size_t value, size_t limit) {
  char line[64];
  std::snprintf(line, sizeof line, format, int(value), int(limit));
  return line;
}

ConsoleLine info_line(const char* format, size_t value, size_t limit) {
  return ConsoleLine{format_count(format, value, limit),
                     value <= limit ? kWithinLimitColour : kOverLimitColour};
}

static_assert(kCompressedSizeLimit == cart::kCompressedCodeLimit);

}  // namespace

RunLimitCheck check_run_limits(std::string_view expanded_code) {
  RunLimitCheck check;
  if (expanded_code.size() > kCharacterLimit) {
    check.messages = {"program exceeds char limit",
                      format_count("%d / %d chars\n", expanded_code.size(), kCharacterLimit)};
    return check;
  }
  check.token_count = lang::count_tokens(expanded_code);
  check.token_overhead = check.token_count * kMemoryBytesPerToken;
  if (check.token_count > kTokenLimit) {
    check.messages = {"program too large",
                      format_count("%d / %d tokens\n", size_t(check.token_count), kTokenLimit)};
    return check;
  }
  check.may_run = true;
  return check;
}

size_t compressed_code_size(std::string_view expanded_code) {
  return cart::compress_code(expanded_code).size();
}

std::vector<ConsoleLine> info_limit_lines(std::string_view expanded_code) {
  return {
      info_line("tokens:     %5d /  %d", size_t(lang::count_tokens(expanded_code)), kTokenLimit),
      info_line("chars:      %5d / %d", expanded_code.size(), kShownCharacterLimit),
      info_line("compressed: %5d / %d", compressed_code_size(expanded_code), kCompressedSizeLimit),
  };
}

SaveLimitCheck check_save_limits(std::string_view code, std::string_view expanded_code,
                                 SaveTarget target) {
  SaveLimitCheck check;
  if (code.size() > kCharacterLimit) {
    check.messages = {"program over size limit\n"};
    return check;
  }
  size_t compressed = compressed_code_size(expanded_code);
  if (compressed > kCompressedSizeLimit) {
    std::string size_line = format_count("%d / %d bytes", compressed, kCompressedSizeLimit);
    if (target != SaveTarget::kText) {
      check.messages = {"compressed code size too large\n", size_line};
      return check;
    }
    check.messages = {"warning: compressed code too big", "to be exported or saved as png",
                      size_line, "(saving .tm anyway)"};
  }
  check.may_save = true;
  if (code.size() != expanded_code.size()) check.after_save = "flattened #includes";
  return check;
}

}  // namespace tamori::runner
