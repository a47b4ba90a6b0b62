#include "runner/bindings/input_bindings.h"

#include <algorithm>
#include <string>

#include "host/keys.h"
#include "input/button_functions.h"
#include "input/button_update.h"
#include "input/developer_input.h"
#include "input/input_stat.h"
#include "input/serial_functions.h"
#include "runner/language.h"
#include "lang/cpu_counters.h"
#include "runner/program_runner.h"
#include "runner/bindings/system_functions.h"
#include "machine/machine_state.h"

namespace tamori::runner {
namespace {

constexpr int kStatKeyArgument = 2;
constexpr size_t kLongestSettingsText = 256;

input::InputState* bound_input = nullptr;
machine::MachineState* bound_machine = nullptr;
const host::KeyStates* bound_keys = nullptr;

int push_button_result(ThreadState* thread, const input::ButtonCallResult& result) {
  if (result.cpu_cycles > 0) spend_cpu(result.cpu_cycles);
  if (result.is_number) push_integer(thread, result.number);
  else push_boolean(thread, result.value);
  return 1;
}

int btn(ThreadState* thread) {
  if (!bound_input || !bound_machine) return 0;
  return push_button_result(thread, input::btn(*bound_input, *bound_machine, get_top(thread), integer_at(thread, 1),
                                               integer_at(thread, 2)));
}

int btnp(ThreadState* thread) {
  if (!bound_input || !bound_machine) return 0;
  return push_button_result(thread, input::btnp(*bound_input, *bound_machine, get_top(thread), integer_at(thread, 1),
                                                integer_at(thread, 2)));
}

// serial(channel, address, length, [repeat]) moves data and returns the
// bytes moved; serial(channel, text) sets the channel's settings.
int serial(ThreadState* thread) {
  if (!bound_input || !bound_machine) return 0;
  const int32_t channel = integer_at(thread, 1);
  std::string_view text;
  if (type_at(thread, 2) == ValueType::String && string_at(thread, 2, &text)) {
    if (text.size() <= kLongestSettingsText) input::serial_settings(bound_input->serial, channel, std::string(text));
    return 0;
  }
  const bool has_repeat = get_top(thread) >= 4 && type_at(thread, 4) != ValueType::Nil;
  input::SerialResult result =
      input::serial(bound_input->serial, *bound_machine, channel, integer_at(thread, 2), raw_number_at(thread, 3),
                    has_repeat, has_repeat ? raw_number_at(thread, 4) : 0x10000);
  if (result.cpu_cycles > 0) spend_cpu_8MHz(int32_t(std::min<int64_t>(result.cpu_cycles, INT32_MAX)));
  push_number(thread, result.bytes);
  return 1;
}

// keyconfig() asks the console to open the key-configuration screen (the
// main loop does so after this tick) and blocks the buttons at once.
int keyconfig(ThreadState*) {
  if (!bound_input || !bound_machine) return 0;
  bound_input->key_config_requested = true;
  input::block_buttons(*bound_input, *bound_machine);
  return 0;
}

bool push_input_stat(ThreadState* thread, int index) {
  if (!bound_input || !bound_machine || !input::is_input_stat(index)) return false;
  static const host::KeyStates no_keys{};
  const int key = type_at(thread, kStatKeyArgument) == ValueType::Number ? integer_at(thread, kStatKeyArgument) : -1;
  ProgramRunner& runner = program_runner();
  input::InputStatValue value = input::input_stat(*bound_input, *bound_machine, bound_keys ? *bound_keys : no_keys,
                                                  index, key, !runner.board_id.empty());
  if (!value.notice.empty() && runner.host.show_message) runner.host.show_message(value.notice, input::kDeveloperNoticeMs);
  switch (value.kind) {
    case input::InputStatValue::Kind::Number: push_integer(thread, value.number); break;
    case input::InputStatValue::Kind::Boolean: push_boolean(thread, value.boolean); break;
    case input::InputStatValue::Kind::Text: push_string(thread, value.text); break;
  }
  return true;
}

}  // namespace

void register_input_functions(ThreadState* state, input::InputState* input, machine::MachineState* machine,
                              const host::KeyStates* keys) {
  bound_input = input;
  bound_machine = machine;
  bound_keys = keys;
  register_native(state, "btn", btn);
  register_native(state, "btnp", btnp);
  register_native(state, "serial", serial);
  register_native(state, "keyconfig", keyconfig);
  add_stat_provider(push_input_stat);
}

}  // namespace tamori::runner
