// The text cartridge reader on any text, future versions included.
#include "cart/cartridge_bytes.h"
#include "cart/text_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  cart::TextLoadResult result = cart::read_cartridge_text(fuzz::as_text(data, size), {.accept_future = true});
  fuzz::check((result.status == cart::TextLoadStatus::loaded) == (result.cartridge != nullptr), "record and status agree");
  if (result.cartridge) cart::reconcile_shared_region(*result.cartridge);
  return 0;
}
