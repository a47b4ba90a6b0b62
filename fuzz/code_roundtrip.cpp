// Code compression: any code text compresses and decompresses to itself,
// through the current format and through the choice compress_code makes.
#include "cart/code_compress.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  std::string_view text = fuzz::as_text(data, size);
  if (text.size() > cart::kMaxCodeLength) text = text.substr(0, cart::kMaxCodeLength);
  // Code in a record ends at its first zero byte, as the ROM image stores it.
  text = text.substr(0, text.find('\0'));
  fuzz::check(cart::decompress_code(cart::encode_current_format(text)) == text, "current format round trip");
  fuzz::check(cart::decompress_code(cart::compress_code(text)) == text, "stored code round trip");
  return 0;
}
