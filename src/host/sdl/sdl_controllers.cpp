#include "host/sdl/sdl_controllers.h"

#include <vector>

#include "host/config.h"
#include "host/controller_mappings.h"
#include "host/log.h"

namespace tamori::host {
namespace {

// The console reads at most eight devices; more are left closed.
constexpr size_t kMostDevices = 8;
constexpr int kButtonBits = 21;

struct OpenDevice {
  SDL_JoystickID instance_id = -1;
  SDL_GameController* controller = nullptr;  // a device with a mapping
  SDL_Joystick* joystick = nullptr;          // otherwise the raw joystick
};

struct ControllerHost {
  bool opened = false;
  std::vector<OpenDevice> devices;
};

ControllerHost controller_host;

void close_device(OpenDevice& device) {
  if (device.controller) SDL_GameControllerClose(device.controller);
  else if (device.joystick) SDL_JoystickClose(device.joystick);
  device = OpenDevice{};
}

void connect_device(int device_index, HostEvents& events) {
  ControllerHost& host = controller_host;
  if (host.devices.size() >= kMostDevices) return;
  const SDL_JoystickID instance_id = SDL_JoystickGetDeviceInstanceID(device_index);
  for (const OpenDevice& device : host.devices)
    if (device.instance_id == instance_id) return;
  OpenDevice device;
  device.instance_id = instance_id;
  SDL_Joystick* joystick = nullptr;
  if (SDL_IsGameController(device_index)) {
    device.controller = SDL_GameControllerOpen(device_index);
    if (device.controller) joystick = SDL_GameControllerGetJoystick(device.controller);
  } else {
    device.joystick = SDL_JoystickOpen(device_index);
    joystick = device.joystick;
  }
  if (!joystick) {
    ruvo_log("could not open joystick %d: %s\n", device_index, SDL_GetError());
    return;
  }
  const char* name = SDL_JoystickName(joystick);
  char* mapping = device.controller ? SDL_GameControllerMapping(device.controller) : nullptr;
  ruvo_log("joystick %d: %s axes %d buttons %d balls %d mapping %s\n", device_index, name ? name : "(unnamed)",
           SDL_JoystickNumAxes(joystick), SDL_JoystickNumButtons(joystick), SDL_JoystickNumBalls(joystick),
           mapping ? mapping : "(none)");
  if (mapping) SDL_free(mapping);
  host.devices.push_back(device);
  events.controller_changes.push_back({true, int(instance_id), name ? name : ""});
}

void disconnect_device(SDL_JoystickID instance_id, HostEvents& events) {
  std::vector<OpenDevice>& devices = controller_host.devices;
  for (size_t i = 0; i < devices.size(); i++) {
    if (devices[i].instance_id != instance_id) continue;
    close_device(devices[i]);
    devices.erase(devices.begin() + long(i));
    events.controller_changes.push_back({false, int(instance_id), ""});
    return;
  }
}

ControllerSample sample_of(const OpenDevice& device) {
  ControllerSample sample;
  sample.device_id = int(device.instance_id);
  if (device.controller) {
    sample.attached = SDL_GameControllerGetAttached(device.controller) == SDL_TRUE;
    sample.stick_x = SDL_GameControllerGetAxis(device.controller, SDL_CONTROLLER_AXIS_LEFTX);
    sample.stick_y = SDL_GameControllerGetAxis(device.controller, SDL_CONTROLLER_AXIS_LEFTY);
    for (int button = 0; button < kButtonBits && button < SDL_CONTROLLER_BUTTON_MAX; button++)
      if (SDL_GameControllerGetButton(device.controller, SDL_GameControllerButton(button)))
        sample.buttons |= 1u << button;
  } else if (device.joystick) {
    sample.attached = SDL_JoystickGetAttached(device.joystick) == SDL_TRUE;
    if (SDL_JoystickNumAxes(device.joystick) >= 2) {
      sample.stick_x = SDL_JoystickGetAxis(device.joystick, 0);
      sample.stick_y = SDL_JoystickGetAxis(device.joystick, 1);
    }
    const int buttons = SDL_JoystickNumButtons(device.joystick);
    for (int button = 0; button < kButtonBits && button < buttons; button++)
      if (SDL_JoystickGetButton(device.joystick, button)) sample.buttons |= 1u << button;
  }
  return sample;
}

}  // namespace

void sdl_controllers_open(const std::string& program_folder, const std::string& data_folder) {
  ControllerHost& host = controller_host;
  if (host.opened) return;
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, ruvo_config().read_controllers_in_background ? "1" : "0");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) {
    ruvo_log("could not start controllers: %s\n", SDL_GetError());
    return;
  }
  host.opened = true;
  for (const std::string& mapping : gather_controller_mappings(program_folder, data_folder))
    if (SDL_GameControllerAddMapping(mapping.c_str()) < 0) ruvo_log("bad controller mapping: %s\n", SDL_GetError());
  ruvo_log("found %d joysticks\n", SDL_NumJoysticks());
}

bool sdl_controllers_handle_event(const SDL_Event& event, HostEvents& events) {
  if (!controller_host.opened) return false;
  switch (event.type) {
    case SDL_JOYDEVICEADDED:
      connect_device(event.jdevice.which, events);
      return true;
    case SDL_JOYDEVICEREMOVED:
      disconnect_device(event.jdevice.which, events);
      return true;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERDEVICEREMAPPED:
      // Every controller also arrives and leaves as a joystick.
      return true;
    default:
      return false;
  }
}

void sdl_controllers_sample(HostEvents& events) {
  if (!controller_host.opened) return;
  for (const OpenDevice& device : controller_host.devices) events.controller_samples.push_back(sample_of(device));
}

void sdl_controllers_close() {
  ControllerHost& host = controller_host;
  for (OpenDevice& device : host.devices) close_device(device);
  host.devices.clear();
  if (host.opened) SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
  host.opened = false;
}

}  // namespace tamori::host
