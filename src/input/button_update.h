// Reading the buttons from keys, mouse and controllers once per tick, the
// pressed-this-tick state with its auto-repeat, and blocking across changes
// of what the buttons mean.
//
// Auto-repeat is timed in 30ths of a second and converted to ticks at the
// program's frame rate: at 30 fps with the defaults a held button reports
// pressed on the tick of the press, 15 ticks later, then every 4 ticks.
#pragma once

#include "host/keys.h"
#include "input/input_state.h"
#include "machine/machine_state.h"

namespace tamori::input {

inline constexpr uint32_t kRepeatDelayAddress = 0x5f5c;
inline constexpr uint32_t kRepeatIntervalAddress = 0x5f5d;
inline constexpr uint32_t kDeveloperFlagsAddress = 0x5f2d;
inline constexpr uint8_t kRepeatOff = 255;

// Initial delay and repeat interval in 30ths of a second: the bytes at
// 0x5f5c / 0x5f5d when non-zero, else 15 and 4; always 15 and 4 while a
// pause state is open.
int get_repeat_delay(const InputState& input, const machine::MachineState& machine);
int get_repeat_delay_2(const InputState& input, const machine::MachineState& machine);
// The rate the repeat timing is converted to: 30 while paused or when the
// requested rate is below 1, else the requested rate.
int get_btnp_update_fps(const InputState& input);

// The keyboard (and mouse) part of player p's button b.
bool player_key(const InputState& input, const host::KeyStates& keys, const machine::MachineState& machine,
                int button, int player);

// Fills `down` for all 64 buttons, and takes the mouse's wheel and motion
// for this frame.
void read_buttons(InputState& input, const host::KeyStates& keys, const machine::MachineState& machine);

// One tick's update: derives `pressed`, keeps `last_down`, advances the
// repeat counters, and publishes the held buttons at 0x5f4c..0x5f53. A
// running, unpaused program gets the buttons read before the update; the
// console's own screens get them read after it.
void update_buttons(InputState& input, const host::KeyStates& keys, machine::MachineState& machine);

// Every button reads as up until released. `keep_left_right` leaves buttons
// 0 and 1 alone (the pause menu closing for a cartridge menu item).
void block_buttons(InputState& input, const machine::MachineState& machine, bool keep_left_right = false);

// For the console's own menus: held and newly pressed or due to repeat.
bool button_pressed(const InputState& input, int button, int player);
// The same, but only when a controller reports the button too.
bool button_pressed_nok(InputState& input, int player, int button);

}  // namespace tamori::input
