#include "runner/bindings/system_functions.h"

#include <array>
#include <ctime>

#include "host/clock.h"
#include "host/config.h"
#include "host/sha1.h"
#include "runner/language.h"
#include "lang/cpu_counters.h"
#include "lang/number_text.h"
#include "runner/program_runner.h"
#include "runner/random_generator.h"
#include "machine/machine_state.h"

namespace tamori::runner {
namespace {

constexpr int32_t kConsoleBehaviourVersion = 43;
constexpr int32_t kMemoryShownLimit = 0x200000;

uint32_t* random_state() {
  static uint32_t unbound[2] = {0xdeadbeef, 0x01234567};
  machine::MachineState* machine = program_runner().host.machine;
  return machine ? machine->random_state : unbound;
}

int time_function(ThreadState* thread) {
  int64_t ticks = program_runner().elapsed_ticks;
  push_number(thread, int32_t(uint32_t(uint64_t(ticks * 65536 / 60))));
  return 1;
}

int rnd(ThreadState* thread) {
  spend_cpu(4);
  if (type_at(thread, 1) == ValueType::Table) {
    uint32_t count = uint32_t(raw_length(thread, 1));
    uint32_t index = random_below(random_state(), count * 256u) >> 8;
    push_number(thread, int32_t((index + 1) << 16));
    get_table(thread, 1);
    return 1;
  }
  uint32_t x = get_top(thread) == 0 ? 0x10000u : uint32_t(raw_number_at(thread, 1));
  push_number(thread, int32_t(random_below(random_state(), x)));
  return 1;
}

int32_t srand(ThreadState* thread) {
  spend_cpu(8);
  random_seed(random_state(), uint32_t(fast_raw_number(thread, 1)));
  return 0;
}

// Memory in use in KiB as a raw number: bytes × 64 is bytes / 1024 in 16.16.
int32_t memory_kib(ThreadState* thread) {
  int64_t bytes = int64_t(memory_in_use(thread)) + program_runner().token_overhead;
  if (bytes > kMemoryShownLimit) bytes = kMemoryShownLimit;
  if (bytes < 0) bytes = 0;
  return int32_t(bytes * 64);
}

int pause_menu_items() {
  const ProgramRunner& runner = program_runner();
  if (runner.host.pause_menu_item_count) return runner.host.pause_menu_item_count();
  int items = 4;  // continue, options, reset cart, quit
  for (const std::string& label : runner.menu_labels) items += label.empty() ? 0 : 1;
  return items;
}

void push_calendar(ThreadState* thread, int n, bool local) {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  if (local) localtime_r(&now, &parts);
  else gmtime_r(&now, &parts);
  const int values[] = {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                        parts.tm_hour,        parts.tm_min,     parts.tm_sec};
  push_integer(thread, values[n % 10]);
}

std::string sha1_text(const std::string& text);

constexpr size_t kMaxStatProviders = 4;
std::array<StatProvider, kMaxStatProviders> stat_providers{};

int stat(ThreadState* thread) {
  spend_cpu(16);
  ProgramRunner& runner = program_runner();
  const int n = get_top(thread) == 0 ? 1 : integer_at(thread, 1);
  for (StatProvider provider : stat_providers)
    if (provider && provider(thread, n)) return 1;
  if (std::optional<int32_t> value = numeric_stat(n)) {
    push_number(thread, *value);
    return 1;
  }
  switch (n) {
    case 0:
      collect(thread);
      push_number(thread, memory_kib(thread));
      return 1;
    case 99: push_number(thread, memory_kib(thread)); return 1;
    case 4: push_string(thread, runner.printh_log.clipboard); return 1;
    case 6: push_string(thread, runner.current_parameter); return 1;
    case 28: case 30: push_boolean(thread, false); return 1;
    case 31: push_string(thread, ""); return 1;
    case 57: case 104: case 110: case 120: case 121: case 122:
      push_boolean(thread, n == 110 && runner.single_step);
      return 1;
    case 100:
      if (const RunChainEntry* top = run_chain_top(runner.run_chain)) push_string(thread, top->label);
      else push_nil(thread);
      return 1;
    case 101:
      if (runner.board_id.empty() || !runner.host.control || !runner.host.control->program_running) push_nil(thread);
      else push_string(thread, runner.board_id);
      return 1;
    case 103: push_string(thread, runner.cartridge_hash); return 1;
    case 106: push_string(thread, sha1_text(runner.current_parameter + runner.cartridge_hash)); return 1;
    case 124: push_string(thread, ""); return 1;
    default: break;
  }
  if (n >= 64 && n <= 71) {
    push_nil(thread);
    return 1;
  }
  if ((n >= 80 && n <= 85) || (n >= 90 && n <= 95)) {
    push_calendar(thread, n, n >= 90);
    return 1;
  }
  push_number(thread, 0);
  return 1;
}

std::string sha1_text(const std::string& text) { return host::sha1_hex(text.data(), text.size()); }

int trace(ThreadState* thread) {
  if (get_top(thread) >= 1 && type_at(thread, 1) != ValueType::String && type_at(thread, 1) != ValueType::Nil &&
      type_at(thread, 1) != ValueType::Number) {
    push_copy(thread, 1);
    return 1;
  }
  std::string_view message;
  std::string text;
  if (string_at(thread, 1, &message)) text = std::string(message) + "\n";
  int level = get_top(thread) >= 2 ? integer_at(thread, 2) : 1;
  push_string(thread, text + traceback(thread, level < 0 ? 0 : level));
  return 1;
}

int scoresub(ThreadState* thread) {
  ProgramRunner& runner = program_runner();
  if (!runner.scoresub_shown && runner.host.show_message) runner.host.show_message("high scores not implemented yet!", 2000);
  runner.scoresub_shown = true;
  push_nil(thread);
  push_number(thread, 0);
  return 2;
}

// The pause menu's record of a cartridge item: slot 1..5 in the low byte of
// the index, the filter byte above it. Anything but a string of at most 63
// characters empties the slot.
int menuitem_native(ThreadState* thread) {
  constexpr size_t kLongestMenuLabel = 63;
  const int index = integer_at(thread, 1);
  const int slot = index & 0xff;
  if (slot < 1 || slot > kMenuItemCount) return 0;
  ProgramRunner& runner = program_runner();
  std::string_view label;
  const bool stored = type_at(thread, 2) == ValueType::String && string_at(thread, 2, &label) &&
                      label.size() <= kLongestMenuLabel;
  runner.menu_labels[size_t(slot - 1)] = stored ? std::string(label) : "";
  runner.menu_filters[size_t(slot - 1)] = uint8_t((index >> 8) & 0xff);
  return 0;
}

}  // namespace

void add_stat_provider(StatProvider provider) {
  for (StatProvider& slot : stat_providers) {
    if (slot == provider) return;
    if (!slot) {
      slot = provider;
      return;
    }
  }
}

std::optional<int32_t> numeric_stat(int n) {
  ProgramRunner& runner = program_runner();
  const RunControl* control = runner.host.control;
  const int current = control ? control->current_fps : 30;
  const int requested = control ? control->requested_fps : 30;
  switch (n) {
    case 1: return cycles_to_frame_capacity(lua_get_cpu_cycles(), requested);
    case 2: return cycles_to_frame_capacity(cpu_counters.system_cycles, requested);
    case 3: return runner.host.machine ? runner.host.machine->current_display << 16 : 0;
    case 5: return kConsoleBehaviourVersion << 16;
    case 7: return current << 16;
    case 8: return requested << 16;
    case 9: return runner.governor.fps_history.back() << 16;
    case 10: return runner.governor.drop_penalty << 16;
    case 11: return runner.host.display_count << 16;
    case 12: return 23 << 16;
    case 13: return (59 - 4 * pause_menu_items()) << 16;
    case 14: return 104 << 16;
    case 15: return (68 + 4 * pause_menu_items()) << 16;
    case 29: return 0;
    case 107: return runner.load_status << 16;
    case 108: return 0;
    case 109:
    case 111: return (host::ruvo_config().mix_buffer_size / 4) << 16;
    default: break;
  }
  // Without a sound state (no provider answered) nothing plays: every audio
  // index is -1.
  if ((n >= 16 && n <= 26) || (n >= 46 && n <= 56)) return -(1 << 16);
  return std::nullopt;
}

void register_system_functions(ThreadState* state) {
  register_native(state, "time", time_function);
  register_native(state, "t", time_function);
  register_native(state, "rnd", rnd);
  register_fast(state, "srand", srand);
  register_native(state, "stat", stat);
  register_native(state, "trace", trace);
  register_native(state, "__trace", trace);
  register_native(state, "scoresub", scoresub);
  register_native(state, "_menuitem", menuitem_native);
}

}  // namespace tamori::runner
