// The current code decompressor: the input is a stored code block, given the
// current format's mark in front when it lacks one so that every run reaches
// the decoder.
#include <algorithm>
#include <vector>

#include "cart/code_compress.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  const auto& mark = cart::kCurrentFormatMark;
  std::vector<uint8_t> stored(data, data + size);
  if (size < 4 || !std::equal(mark, mark + 4, data)) stored.insert(stored.begin(), mark, mark + 4);
  const std::string text = cart::decompress_code(stored);
  fuzz::check(text.size() <= cart::kMaxCodeLength, "text within the limit");
  // A small limit must be kept as well.
  fuzz::check(cart::decompress_code(stored, 100).size() <= 100, "text within a small limit");
  return 0;
}
