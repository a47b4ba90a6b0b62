// print with control codes: any tmscii text at the cursor, then the frames a
// waiting print asks for (a bounded number of them).
#include <memory>

#include "fuzz_support.h"
#include "host/console_data.h"
#include "machine/memory_map.h"
#include "machine/print_functions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  static const std::optional<host::ConsoleData> console_data = host::load_console_data(fuzz::data_pod_path());
  auto state = std::make_unique<machine::MachineState>();
  machine::init_machine_state(*state);
  machine::TextState text_state;
  if (console_data) machine::set_builtin_font(text_state, console_data->font);
  machine::PrintArguments arguments;
  arguments.text.assign(reinterpret_cast<const char*>(data), size);
  machine::PrintResult result = machine::print(*state, text_state, arguments);
  for (int frame = 0; frame < 64 && !result.finished; ++frame) result = machine::continue_print(*state, text_state);
  machine::reset_print(text_state);
  return 0;
}
