// config.txt: every line through the framework's settings and the console's
// own keys, then the clamps that follow reading the file.
#include <string>

#include "fuzz_support.h"
#include "host/config.h"
#include "shell/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  static const bool registered = (shell::console_settings_register(), true);
  (void)registered;
  host::RuvoConfig config;
  host::ruvo_config_set_defaults(config);
  shell::console_settings_reset();
  const std::string_view text = fuzz::as_text(data, size);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string line(text.substr(start, end - start));  // ends at the first zero byte, as a C string does
    host::ruvo_config_apply_line(config, line.c_str());
    start = end + 1;
  }
  host::ruvo_config_clamp(config);
  shell::console_settings_clamp(shell::console_settings());
  return 0;
}
