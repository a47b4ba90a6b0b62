// A console brought up headless on a virtual clock, with its own data folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/clock.h"
#include "host/config.h"
#include "shell/startup.h"

namespace tamori::shell {

class HeadlessConsole : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ruvo_config_reset_for_tests();
    host::ruvo_set_clock(host::virtual_clock(&time));
    time.now_ms = 100000;
    home = std::filesystem::temp_directory_path() /
           ("tamori_console_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(home);
  }
  void TearDown() override {
    ruvo_exit(console);
    host::ruvo_set_clock(host::system_clock());
    std::filesystem::remove_all(home);
  }

  // Starts the console with extra arguments; the data file is the one built
  // beside the program.
  std::optional<int> start(std::vector<std::string> arguments = {}) {
    arguments.insert(arguments.begin(), {"tamori", "-home", home.string(), "-headless", "1"});
    argument_storage = arguments;
    argv.clear();
    for (const std::string& argument : argument_storage) argv.push_back(argument.c_str());
    StartupOptions startup;
    startup.program_folder = data_folder;
    startup.fixed_random_seed = random_seed;
    return ruvo_main_init(console, int(argv.size()), argv.data(), startup);
  }

  // A console past its boot with nothing to run: the stopped screen.
  std::optional<int> start_stopped(std::vector<std::string> arguments = {}) {
    std::optional<int> status = start(std::move(arguments));
    console.pstate.console_mode = kModeStopped;
    return status;
  }

  std::string data_folder = TAMORI_BUILD_DIR;
  std::optional<uint32_t> random_seed;  // none: from the clock
  host::VirtualTime time;
  std::filesystem::path home;
  std::vector<std::string> argument_storage;
  std::vector<const char*> argv;
  Console console;
};

}  // namespace tamori::shell
