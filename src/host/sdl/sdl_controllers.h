// Game controllers and raw joysticks through SDL2: the mapping database,
// opening devices as they arrive, and one reading per device each pump.
#pragma once

#include <SDL.h>

#include <string>

#include "host/platform.h"

namespace tamori::host {

// Starts the controller subsystem and adds the mappings (built-in table,
// then the program folder's and the data folder's "sdl_controllers.txt").
// Devices present now arrive as events at the next pump.
void sdl_controllers_open(const std::string& program_folder, const std::string& data_folder);

// Handles a device event; true when the event was one.
bool sdl_controllers_handle_event(const SDL_Event& event, HostEvents& events);

// Appends the reading of every open device.
void sdl_controllers_sample(HostEvents& events);

void sdl_controllers_close();

}  // namespace tamori::host
