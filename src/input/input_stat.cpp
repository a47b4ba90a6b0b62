#include "input/input_stat.h"

#include "input/button_update.h"
#include "machine/memory.h"

namespace tamori::input {
namespace {

InputStatValue number(int32_t value) {
  InputStatValue result;
  result.number = value;
  return result;
}

InputStatValue boolean(bool value) {
  InputStatValue result;
  result.kind = InputStatValue::Kind::Boolean;
  result.boolean = value;
  return result;
}

InputStatValue text(std::string value) {
  InputStatValue result;
  result.kind = InputStatValue::Kind::Text;
  result.text = std::move(value);
  return result;
}

}  // namespace

bool is_input_stat(int index) { return (index >= 28 && index <= 39) || index == 120 || index == 121; }

InputStatValue input_stat(InputState& input, const machine::MachineState& machine, const host::KeyStates& keys,
                          int index, int key, bool has_board_id) {
  const uint8_t flags = machine::read_memory_byte(machine, kDeveloperFlagsAddress);
  const bool enabled = (flags & kDeveloperInputEnabled) != 0;
  InputStatValue result;
  switch (index) {
    case 28: result = boolean(developer_key_down(keys, key, flags)); break;
    case 29: return number(connected_controller_count(input.controllers));
    case 30: result = boolean(developer_character_waiting(input.keyboard, flags)); break;
    case 31: result = text(developer_take_character(input.keyboard, flags)); break;
    case 37: return number(developer_mouse_stat(input.mouse, index, flags));
    case 120: return boolean(dropped_file_remaining(input.serial.dropped) > 0);
    case 121: return boolean(dropped_picture_remaining(input.serial.dropped) > 0);
    default:
      if (index < 32 || index > 39) return result;
      result = number(developer_mouse_stat(input.mouse, index, flags));
      if (enabled) result.notice = developer_mouse_notice(input.mouse, has_board_id);
      return result;
  }
  if (enabled) result.notice = developer_keyboard_notice(input.keyboard, has_board_id);
  return result;
}

}  // namespace tamori::input
