// The older code decompressor on stored code blocks.
#include "cart/code_compress.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tamori::fuzz::decompress_with_mark(data, size, tamori::cart::kOlderFormatMark);
  return 0;
}
