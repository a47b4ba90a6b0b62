// What the working-cartridge code needs from the rest of the console: where
// the data folder is, the load options, and ways to tell the user things.
// Callbacks that are not set do nothing.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "cart/cartridge.h"
#include "host/console_data.h"

namespace tamori::cart {

struct CartridgeHost {
  // Application-data folder with a trailing "/" (empty: the current folder).
  std::string data_folder;
  bool accept_future = false;
  // Failure messages on the message bar are shown only when this is set.
  bool messages_enabled = true;
  // Palette, cartridge template and interface font for cartridge pictures;
  // null when there is no data file (pictures then use stand-ins).
  const host::ConsoleData* console_data = nullptr;

  // A message-bar message for `milliseconds`.
  std::function<void(const std::string& text, int milliseconds)> show_message;
  // A line on the console text screen in colour `colour`.
  std::function<void(const std::string& text, int colour)> print;
  // Called before a record is destroyed, so that the sounds it plays stop.
  std::function<void(const Cartridge& cartridge)> release_cartridge;
  // Called when a newly loaded record has been prepared, so that the shell
  // can reset its editor state and the window title.
  std::function<void()> cartridge_installed;
  // Held while the sound data is read for saving; the audio thread plays
  // from the same record.
  std::function<void()> lock_audio;
  std::function<void()> unlock_audio;
  // Puts text on the host clipboard.
  std::function<void(const std::string& text)> set_clipboard;
  // Local calendar time for backup names (the system's when not set).
  std::function<std::tm()> local_time;
};

void show_host_message(const CartridgeHost& host, const std::string& text, int milliseconds);
void print_host_line(const CartridgeHost& host, const std::string& text, int colour);
void set_host_clipboard(const CartridgeHost& host, const std::string& text);

}  // namespace tamori::cart
