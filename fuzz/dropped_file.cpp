// Files dropped on the window: the input is written to a file whose name the
// first byte chooses (a picture, a cartridge in each format, or any file),
// and the path is handed to a headless console as the host would post it.
#include <filesystem>
#include <memory>

#include "fuzz_support.h"
#include "host/clock.h"
#include "host/config.h"
#include "input/dropped_data.h"
#include "shell/dropped_files.h"
#include "shell/startup.h"

namespace {

tamori::shell::Console& started_console() {
  using namespace tamori;
  static host::VirtualTime time;
  static auto console = std::make_unique<shell::Console>();
  static const bool started = [] {
    host::ruvo_config_reset_for_tests();
    host::ruvo_set_clock(host::virtual_clock(&time));
    time.now_ms = 100000;
    const std::string home = (std::filesystem::temp_directory_path() /
                              ("tamori_fuzz_home_" + std::to_string(::getpid()))).string();
    const char* argv[] = {"tamori", "-home", home.c_str(), "-headless", "1"};
    shell::StartupOptions startup;
    startup.program_folder = std::filesystem::path(fuzz::data_pod_path()).parent_path().string();
    return !shell::ruvo_main_init(*console, 5, argv, startup).has_value();
  }();
  fuzz::check(started, "the console starts");
  return *console;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tamori;
  static const char* const kNames[] = {"drop.png", "drop.tm", "drop.tm.png", "drop.tm.rom", "drop.bin", "drop.tmm.png"};
  if (size == 0) return 0;
  shell::Console& console = started_console();
  const std::string path = fuzz::write_temp_file(kNames[data[0] % std::size(kNames)], data + 1, size - 1);
  console.app.dropped_path = path;
  shell::handle_dropped_file(console);
  fuzz::check(console.app.dropped_path.empty(), "the drop is handled");
  input::clear_dropped_data(console.input.serial.dropped);
  console.dropped_cartridge.reset();
  std::filesystem::remove(path);
  return 0;
}
