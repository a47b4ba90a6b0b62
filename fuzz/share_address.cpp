// The share address's two parts, as -url_code and -url_gfx hand them over:
// the input up to its first '&' is the code part, the rest the sprite runs.
// Whatever decodes must encode back to the same bytes and pixels.
#include "cart/share_address.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  const std::string_view input = fuzz::as_text(data, size);
  const std::size_t split = std::min(input.find('&'), input.size());
  const std::string_view code = input.substr(0, split);
  const std::string_view sprites = input.substr(std::min(split + 1, input.size()));

  if (std::optional<std::vector<uint8_t>> bytes = cart::read_share_base64(code))
    fuzz::check(cart::read_share_base64(cart::share_base64(*bytes)) == bytes, "base64 round trip");

  std::unique_ptr<cart::Cartridge> cartridge = cart::read_share_data(code, sprites);
  if (!cartridge) return 0;
  fuzz::check(cartridge->code.size() <= cart::kMaxCartridgeCodeLength, "code within the record's limit");
  std::unique_ptr<cart::Cartridge> again = cart::read_share_data("", cart::sprite_run_text(*cartridge));
  fuzz::check(again != nullptr, "written sprite runs read");
  fuzz::check(again->sprite_sheet == cartridge->sprite_sheet, "sprite runs round trip");
  return 0;
}
