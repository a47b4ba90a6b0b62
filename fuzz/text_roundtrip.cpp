// Text cartridges: whatever record a text gives, written and read again, is
// the same record, and writing it twice gives the same text.
#include "cart/cartridge_bytes.h"
#include "cart/text_reader.h"
#include "cart/text_writer.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  cart::TextLoadResult first = cart::read_cartridge_text(fuzz::as_text(data, size), {.accept_future = true});
  if (!first.cartridge) return 0;
  cart::reconcile_shared_region(*first.cartridge);
  const std::string text = cart::write_cartridge_text(*first.cartridge);
  cart::TextLoadResult second = cart::read_cartridge_text(text);
  fuzz::check(second.cartridge != nullptr, "a written cartridge reads");
  cart::reconcile_shared_region(*second.cartridge);
  // The writer always writes the current version.
  second.cartridge->version = first.cartridge->version;
  fuzz::check(*second.cartridge == *first.cartridge, "the record survives writing and reading");
  fuzz::check(cart::write_cartridge_text(*second.cartridge) == text, "the same record writes the same text");
  return 0;
}
