// Runs cartridges headless through the same core as the tamori_run tool,
// with the test language functions registered, in a temporary data folder.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/clock.h"
#include "host/config.h"
#include "shell/headless_run.h"
#include "shell/startup.h"

namespace tamori::shell::testing {

// One more frame of a console started by run_headless.
inline void run_one_frame(Console& console) {
  console.pstate.last_t = host::ruvo_get_time_ms();
  console.pstate.frame_accumulator = 0x10000;
  ruvo_main_iteration(console);
}

// A cartridge's file stem as a test name: letters and digits, "_" for the rest.
inline std::string cartridge_test_name(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

class CartridgeRun : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ruvo_config_reset_for_tests();
    time.now_ms = 100000;
    home = std::filesystem::temp_directory_path() /
           ("tamori_cartrun_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
  }
  void TearDown() override {
    ruvo_exit(console);
    host::ruvo_set_clock(host::system_clock());
    std::filesystem::remove_all(home);
  }

  // Writes `code` as a program file in the temporary folder and runs it.
  HeadlessRunResult run_code(const std::string& code, int frames, std::string name = "cart.lua") {
    std::filesystem::path path = home / name;
    std::ofstream(path, std::ios::binary) << code;
    return run_file(path.string(), frames);
  }

  HeadlessRunResult run_file(const std::string& path, int frames, const ButtonScript& buttons = {}) {
    HeadlessRunOptions options;
    options.cartridge = path;
    options.home = (home / "data").string();
    options.program_folder = TAMORI_BUILD_DIR;
    options.frames = frames;
    options.buttons = buttons;
    options.after_frame = after_frame;
    return run_headless(console, time, options);
  }

  std::function<void(int, Console&)> after_frame;
  host::VirtualTime time;
  std::filesystem::path home;
  Console console;
};

}  // namespace tamori::shell::testing
