// The sound command of printed text: note strings read from any position
// of any text, always moving forward within the text.
#include "fuzz_support.h"
#include "machine/print_sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  const std::string_view text = fuzz::as_text(data, size);
  size_t position = 0;
  while (position < text.size()) {
    const size_t before = position;
    machine::PrintSoundCommand command = machine::read_print_sound(text, position);
    fuzz::check(position <= text.size(), "position within the text");
    fuzz::check(command.slot >= -1 && command.slot < 64, "slot in range");
    // A command that consumes nothing ends at a line feed; step over it as
    // the printer does.
    if (position == before) ++position;
  }
  return 0;
}
