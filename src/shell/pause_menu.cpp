#include "shell/pause_menu.h"
#include "shell/reset_glitch.h"

#include <algorithm>

#include "host/clock.h"
#include "host/scancodes.h"
#include "input/button_update.h"
#include "input/controllers.h"
#include "input/keyboard_bindings.h"
#include "machine/memory.h"
#include "runner/program_runner.h"
#include "shell/cartridge_runner.h"
#include "shell/main_loop.h"
#include "shell/message_bar.h"

namespace tamori::shell {
namespace {

constexpr size_t kLongestItemLabel = 16;
constexpr int kLeftValue = 0x01, kRightValue = 0x02, kActionButtonsValue = 0x70;
constexpr int kVolumeStep = 32;
constexpr int kControllerDown = 128;

bool page_has_items(int pause_state) {
  return pause_state == kPauseStateMainPage || pause_state == kPauseStateOptions;
}

void add_item(PauseMenu& menu, std::string label, int action) {
  if (label.size() > kLongestItemLabel) label.resize(kLongestItemLabel);
  menu.items.push_back({std::move(label), action});
}

void build_main_page(const Console& console, PauseMenu& menu) {
  const runner::ProgramRunner& runner = runner::program_runner();
  add_item(menu, "continue", kPauseContinue);
  for (int slot = 0; slot < runner::kMenuItemCount; slot++)
    if (!runner.menu_labels[size_t(slot)].empty())
      add_item(menu, runner.menu_labels[size_t(slot)], kPauseCartItem1 + slot);
  add_item(menu, "options", kPauseOptions);
  add_item(menu, "reset cart", kPauseResetCart);
  if (const runner::RunChainEntry* top = runner::run_chain_top(runner.run_chain))
    add_item(menu, top->label.empty() ? "go back" : top->label, kPauseBreadcrumb);
  add_item(menu, "quit", kPauseQuit);
  if (console.app.options.run) add_item(menu, "shutdown", kPauseQuit);
}

// Eight cells, one per 32 steps of the remembered volume: solid while sound
// is on, hollow while it is muted.
std::string volume_item_label(const Console& console) {
  constexpr char kSolidCell = char(16), kMutedCell = char(18);
  const bool sound_on = host::ruvo_config().sound_volume != 0;
  std::string label = "volume: ";
  for (int threshold = 31; threshold <= 255; threshold += 32)
    label += console.app.last_volume > threshold ? (sound_on ? kSolidCell : kMutedCell) : '-';
  return label;
}

void build_options_page(const Console& console, PauseMenu& menu) {
  add_item(menu, host::ruvo_config().sound_volume != 0 ? "sound:on" : "sound:off", kPauseSound);
  add_item(menu, volume_item_label(console), kPauseVolume);
  add_item(menu, host::ruvo_config().windowed != 0 ? "fullscreen:off" : "fullscreen:on", kPauseFullscreen);
  add_item(menu, "controls", kPauseControls);
  add_item(menu, "back", kPauseBack);
}

void set_pause_state(Console& console, int state) {
  console.pstate.pause_state = state;
  console.input.conditions.pause_state_open = state != 0;
}

void open_page(Console& console, int state) {
  set_pause_state(console, state);
  build_paused_menu(console);
  host::key_block(console.app.keys, host::scancode::Escape);
  input::block_buttons(console.input, *console.machine);
}

// The pages open only over a running program.
bool program_on_screen(const Console& console) {
  return console.pstate.console_mode == kModeRunning && console.pstate.program_running;
}

void release_and_block(input::InputState& input, std::initializer_list<int> buttons) {
  for (int button : buttons) {
    const int index = input::grid_index(0, button);
    input.buttons.down[index] = 0;
    input.buttons.blocked[index] = 1;
  }
}

// Records the value for the program's next flip and closes the menu; the
// picture stays until then.
bool choose_cartridge_item(Console& console, int slot, int value) {
  runner::ProgramRunner& runner = runner::program_runner();
  value &= ~runner.menu_filters[size_t(slot)];
  if (value == 0) return false;
  runner.menu_selected[size_t(slot)] = true;
  runner.menu_selection_values[size_t(slot)] = value << 16;
  runner.menu_item_chosen = true;
  set_pause_state(console, 0);
  console.input.keyboard.typed.clear();
  release_and_block(console.input, {0, 1});
  return true;
}

void change_volume(Console& console, int step) {
  const int volume = std::clamp(console.app.last_volume + step, kLowestMenuVolume, kHighestMenuVolume);
  console.app.last_volume = volume;
  set_sound_volume(volume);
  build_paused_menu(console);
}

void toggle_fullscreen(Console& console) {
  host::RuvoConfig& config = host::ruvo_config();
  config.windowed = config.windowed != 0 ? 0 : 1;
  if (console.app.platform.toggle_fullscreen) console.app.platform.toggle_fullscreen(console.app.platform.context);
}

void run_action(Console& console, int action) {
  switch (action) {
    case kPauseContinue: set_pause_state(console, 0); break;
    case kPauseResetCart:
      set_pause_state(console, 0);
      request_reset_glitch(console, host::ruvo_get_time_ms());
      break;
    case kPauseBreadcrumb:
      if (!follow_current_breadcrumb(console)) show_message(console.app.message, "could not go back", 1500,
                                                            host::ruvo_get_time_ms());
      set_pause_state(console, 0);
      break;
    case kPauseQuit:
      set_pause_state(console, 0);
      console.app.quit = true;
      break;
    case kPauseOptions:
    case kPauseBack:
      set_pause_state(console, action == kPauseOptions ? kPauseStateOptions : kPauseStateMainPage);
      console.pause.selection = 0;
      build_paused_menu(console);
      break;
    case kPauseSound:
      toggle_mute(console, host::ruvo_get_time_ms());
      build_paused_menu(console);
      break;
    case kPauseFullscreen:
      toggle_fullscreen(console);
      build_paused_menu(console);
      break;
    case kPauseControls: set_pause_state(console, kPauseStateControls); break;
    default: break;
  }
}

void process_item_keys(Console& console) {
  PauseMenu& menu = console.pause;
  const input::InputState& input = console.input;
  const int count = int(menu.items.size());
  if (count == 0) return;
  const auto pressed = [&input](int button) { return input::button_pressed(input, button, 0); };
  if (pressed(2)) menu.selection = (menu.selection + count - 1) % count;
  if (pressed(3)) menu.selection = (menu.selection + 1) % count;
  menu.selection = std::clamp(menu.selection, 0, count - 1);
  const PausedMenuItem item = menu.items[size_t(menu.selection)];
  const int slot = item.action - kPauseCartItem1;
  const bool cartridge_item = slot >= 0 && slot < runner::kMenuItemCount;

  const bool left = pressed(0), right = pressed(1);
  bool chosen = false;
  if (left || right) {
    if (cartridge_item) chosen = choose_cartridge_item(console, slot, left ? kLeftValue : kRightValue);
    else if (item.action == kPauseVolume) change_volume(console, left ? -kVolumeStep : kVolumeStep);
  }
  if (!chosen && (pressed(4) || pressed(5) || pressed(6))) {
    release_and_block(console.input, {4, 5, 6});
    if (cartridge_item) chosen = choose_cartridge_item(console, slot, kActionButtonsValue);
    else run_action(console, item.action);
  }
  if (console.pstate.pause_state == 0)
    input::block_buttons(console.input, *console.machine, runner::program_runner().menu_item_chosen);
}

}  // namespace

void build_paused_menu(Console& console) {
  PauseMenu& menu = console.pause;
  menu.items.clear();
  if (console.pstate.pause_state == kPauseStateOptions) build_options_page(console, menu);
  else build_main_page(console, menu);
  menu.selection = std::clamp(menu.selection, 0, std::max(0, int(menu.items.size()) - 1));
}

int main_page_item_count(const Console& console) {
  PauseMenu main_page;
  build_main_page(console, main_page);
  return int(main_page.items.size());
}

void open_pause_menu(Console& console, bool keep_selection) {
  if (!program_on_screen(console)) return;
  if (!keep_selection) console.pause.selection = 0;
  open_page(console, kPauseStateMainPage);
}

void open_controls_picture(Console& console) {
  if (!program_on_screen(console)) return;
  open_page(console, kPauseStateControls);
}

void update_paused_menu(Console& console) {
  if (!program_on_screen(console) || console.pstate.pause_state != 0) return;
  if (!console.input.buttons.down[input::grid_index(0, input::kPauseButton)]) return;
  machine::MachineState& machine = *console.machine;
  if (machine::read_memory_byte(machine, kPauseSuppressAddress) == 1) {
    machine::write_memory_byte(machine, kPauseSuppressAddress, 0);
    host::key_block(console.app.keys, host::scancode::Escape);
    input::block_buttons(console.input, machine);
    return;
  }
  open_pause_menu(console, false);
}

void update_emergency_paused_menu(Console& console, int32_t now_ms, bool program_may_pause) {
  PauseMenu& menu = console.pause;
  const input::InputState& input = console.input;
  const input::KeyContext context{true, false};
  const bool down =
      program_may_pause &&
      (input::keyboard_button_down(console.app.keys, input.settings.button_keys, 0, input::kPauseButton, context) ||
       ((input.scripted_held[0] >> input::kPauseButton) & 1) ||
       input::player_button(console.input.controllers, input.settings.joystick_index, input.settings.merge_joysticks,
                            input::kPauseButton, 0) > kControllerDown);
  if (!down) {
    menu.pause_button_state_t = now_ms;
    menu.pause_button_held_frames = 0;
    return;
  }
  menu.pause_button_held_frames++;
  if (menu.pause_button_held_frames >= kEmergencyHoldIterations && now_ms - menu.pause_button_state_t > kEmergencyHoldMs)
    open_pause_menu(console, false);
}

void process_paused_keypresses(Console& console) {
  const int state = console.pstate.pause_state;
  if (state == kPauseStateControls) {
    if (input::button_pressed(console.input, input::kPauseButton, 0)) {
      set_pause_state(console, 0);
      input::block_buttons(console.input, *console.machine);
    }
    return;
  }
  if (page_has_items(state)) process_item_keys(console);
}

bool pause_menu_drawn(const Console& console) {
  const int state = console.pstate.pause_state;
  return page_has_items(state) || state == kPauseStateControls ||
         (state == 0 && runner::program_runner().menu_item_chosen);
}

}  // namespace tamori::shell
