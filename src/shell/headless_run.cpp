#include "shell/headless_run.h"

#include <sstream>

#include "host/config.h"
#include "machine/memory.h"
#include "shell/startup.h"

namespace tamori::shell {
namespace {

constexpr uint64_t kHashOffset = 0xcbf29ce484222325ull;
constexpr uint64_t kHashPrime = 0x100000001b3ull;
constexpr std::string_view kButtonLetters = "lrudox";

bool parse_buttons(const std::string& word, uint8_t* bits) {
  if (word == "-") {
    *bits = 0;
    return true;
  }
  if (word.find_first_not_of("0123456789") == std::string::npos) {
    unsigned long value = std::stoul(word);
    if (value > 255) return false;
    *bits = uint8_t(value);
    return true;
  }
  uint8_t value = 0;
  for (char c : word) {
    size_t bit = kButtonLetters.find(c);
    if (bit == std::string_view::npos) return false;
    value |= uint8_t(1u << bit);
  }
  *bits = value;
  return true;
}

void apply_buttons(Console& console, const ButtonScript& script, int frame) {
  auto held = script.upper_bound(frame);
  if (held == script.begin()) return;
  --held;
  for (int player = 0; player < 8; player++) console.input.scripted_held[player] = held->second[size_t(player)];
}

}  // namespace

bool parse_button_script(const std::string& text, ButtonScript* script, int* error_line) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    number++;
    size_t comment = line.find('#');
    if (comment != std::string::npos) line.resize(comment);
    std::istringstream words(line);
    std::string frame_word;
    if (!(words >> frame_word)) continue;
    if (frame_word.find_first_not_of("0123456789") != std::string::npos || frame_word.size() > 9) {
      *error_line = number;
      return false;
    }
    std::array<uint8_t, 8> players{};
    std::string word;
    int player = 0;
    while (words >> word) {
      if (player >= 8 || !parse_buttons(word, &players[size_t(player)])) {
        *error_line = number;
        return false;
      }
      player++;
    }
    (*script)[std::stoi(frame_word)] = players;
  }
  return true;
}

uint64_t screen_memory_hash(const Console& console) {
  uint64_t hash = kHashOffset;
  for (uint32_t address = 0x6000; address < 0x8000; address++) {
    hash ^= machine::read_memory_byte(*console.machine, address);
    hash *= kHashPrime;
  }
  return hash;
}

std::vector<uint8_t> screen_rgba(const Console& console, int* width, int* height) {
  const machine::BackPage& page = console.app.back_page;
  std::vector<uint32_t> argb(page.pixels.size());
  machine::back_page_to_argb(page, console.app.palette, argb.data());
  std::vector<uint8_t> rgba(argb.size() * 4);
  for (size_t i = 0; i < argb.size(); i++) {
    rgba[i * 4 + 0] = uint8_t(argb[i] >> 16);
    rgba[i * 4 + 1] = uint8_t(argb[i] >> 8);
    rgba[i * 4 + 2] = uint8_t(argb[i]);
    rgba[i * 4 + 3] = 255;
  }
  *width = page.width;
  *height = page.height;
  return rgba;
}

HeadlessRunResult run_headless(Console& console, host::VirtualTime& time, const HeadlessRunOptions& options) {
  HeadlessRunResult result;
  host::ruvo_set_clock(host::virtual_clock(&time));
  std::vector<std::string> arguments = {"tamori", "-home", options.home, "-headless", "-foreground_sleep_ms", "0",
                                        "-background_sleep_ms", "0"};
  arguments.insert(arguments.end(), options.extra_arguments.begin(), options.extra_arguments.end());
  arguments.push_back("-x");
  arguments.push_back(options.cartridge);
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());

  StartupOptions startup;
  startup.program_folder = options.program_folder;
  startup.fixed_random_seed = options.random_seed;
  startup.register_functions = options.register_functions;
  startup.write_stdout = [&result](std::string_view text) { result.standard_output += text; };
  if (std::optional<int> status = ruvo_main_init(console, int(argv.size()), argv.data(), startup)) {
    result.exit_status = *status;
    return result;
  }
  result.started = true;
  for (int frame = 0; frame < options.frames && !console.app.quit; frame++) {
    apply_buttons(console, options.buttons, frame);
    // Exactly one tick is owed: the clock moves on by a frame, but the
    // update sees no time passing.
    const int rate = console.pstate.current_fps > 0 ? console.pstate.current_fps : 30;
    time.now_ms += 1000 / rate;
    console.pstate.last_t = host::ruvo_get_time_ms();
    console.pstate.frame_accumulator = 0x10000;
    ruvo_main_iteration(console);
    result.frames_run++;
    if (options.after_frame) options.after_frame(frame, console);
  }
  result.quit = console.app.quit;
  return result;
}

}  // namespace tamori::shell
