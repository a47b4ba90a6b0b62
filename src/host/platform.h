// The window side of the framework as the headless core sees it: a record of
// callbacks that the SDL host fills in. A headless run leaves every callback
// empty, and the console simply skips them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/window_layout.h"

namespace tamori::host {

struct KeyStates;

struct WindowRequest {
  int window_width = 0, window_height = 0;  // below 32: the host's own default
  int window_x = -1, window_y = -1;
  bool windowed = true;
  bool frameless = false;
  int fullscreen_method = 1;
  bool software_blit = false;
  int display_index = 0;
  std::string title;
};

// A game controller or joystick arriving or leaving; `device_id` stays the
// same while the device is connected.
struct ControllerChange {
  bool connected = false;
  int device_id = -1;
  std::string name;
};

// The latest reading of one open device: left stick, and bit i of `buttons`
// for game-controller button i (raw joysticks: their button i).
struct ControllerSample {
  int device_id = -1;
  int16_t stick_x = 0, stick_y = 0;
  uint32_t buttons = 0;
  bool attached = true;
};

// What the host's event pump reports besides key presses.
struct HostEvents {
  bool quit_requested = false;
  bool has_focus = true;
  std::string dropped_file;
  // UTF-8 text typed since the last pump, in order.
  std::string typed_text;
  int mouse_x = 0, mouse_y = 0;  // in back-page pixels
  bool mouse_moved = false;
  std::vector<std::string> controller_notices;
  // In the order they happened, then one sample per open device.
  std::vector<ControllerChange> controller_changes;
  std::vector<ControllerSample> controller_samples;
  // Mouse buttons held (bit 0 left, 1 right, 2 middle), wheel steps and
  // relative motion received, the pointer and the window size in window pixels.
  int mouse_buttons = 0;
  int wheel_x = 0, wheel_y = 0;
  int relative_motion_x = 0, relative_motion_y = 0;
  int window_mouse_x = 0, window_mouse_y = 0;
  int window_width = 0, window_height = 0;
  // Where the last presented back page went in the window.
  Rect back_page_rectangle{0, 0, 128, 128};
  int back_page_width = 128, back_page_height = 128;
};

// One frame for the window: 32-bit ARGB pixels of the back page.
struct PresentedFrame {
  const uint32_t* argb = nullptr;
  int width = 0, height = 0;
  bool show_fps = false;
  int fps = 0;
};

// The audio device: signed 16-bit little-endian samples at `rate`, pulled on
// the device's own thread through the callback, `buffer_samples` at a time.
struct AudioRequest {
  int rate = 22050;
  int channels = 1;
  int buffer_samples = 1024;
};

// The format the device actually runs at.
struct AudioFormat {
  int rate = 0;
  int channels = 0;
};

// Fills `length` bytes of `stream`; runs on the device's thread while the
// device lock is held.
using AudioCallback = void (*)(void* user, uint8_t* stream, int length);

struct Platform {
  void* context = nullptr;
  bool (*open_window)(void* context, const WindowRequest& request) = nullptr;
  // Applies pending host events to the key states and reports the rest.
  void (*pump_events)(void* context, KeyStates& keys, HostEvents& events) = nullptr;
  void (*present)(void* context, const PresentedFrame& frame) = nullptr;
  void (*set_title)(void* context, const std::string& title) = nullptr;
  // The host clipboard's text as UTF-8 (empty when there is none).
  std::string (*clipboard_text)(void* context) = nullptr;
  void (*set_clipboard_text)(void* context, const std::string& text) = nullptr;
  void (*set_icon)(void* context, const uint32_t* argb, int width, int height) = nullptr;
  void (*set_pointer_lock)(void* context, bool locked) = nullptr;
  void (*toggle_fullscreen)(void* context) = nullptr;
  void (*close_window)(void* context) = nullptr;
  // Opens and starts the audio device; false (with the reason logged) when
  // there is none. `obtained` receives the format it runs at.
  bool (*open_audio)(void* context, const AudioRequest& request, AudioCallback callback, void* user,
                     AudioFormat& obtained) = nullptr;
  // The device lock: while held, the callback does not run.
  void (*lock_audio)(void* context) = nullptr;
  void (*unlock_audio)(void* context) = nullptr;
  // Stops the device; the callback has finished when this returns.
  void (*close_audio)(void* context) = nullptr;
  // Adds the controller mappings (built-in, then "sdl_controllers.txt" in the
  // program folder and in the data folder) and starts reading controllers.
  void (*open_controllers)(void* context, const std::string& program_folder, const std::string& data_folder) =
      nullptr;
};

}  // namespace tamori::host
