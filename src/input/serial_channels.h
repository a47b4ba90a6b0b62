// The serial channel table: one record per channel 0..4095, made on first
// use, holding the channel's output settings. The settings are stored for
// output hardware and not used by the console itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamori::input {

inline constexpr int kSerialChannelCount = 4096;

struct ChannelSettings {
  int32_t dma = 10;
  int32_t freq = 800000;
  int32_t type = 0x100800;
  int32_t brightness = 0x37;
  int32_t invert = 0;
  int32_t leds = 0;
};

struct SerialChannel {
  bool exists = false;  // made on first use, with the default settings
  int channel = 0;
  uint8_t high_byte = 0, low_byte = 0;
  ChannelSettings settings;
  bool in_use = false;  // set by the first transfer; settings are frozen after it
};

struct ChannelTable {
  std::vector<SerialChannel> channels;  // kSerialChannelCount entries once made
};

// The channel's record, made with the defaults when it has none; null for a
// channel outside 0..4095.
SerialChannel* serial_channel(ChannelTable& table, int channel);
// Run start: every channel is empty again (and gets the defaults at its
// next use).
void clear_channel_table(ChannelTable& table);

// Longest settings text that is applied; longer text is ignored.
inline constexpr size_t kChannelSettingsTextLimit = 256;

// Applies settings text: a text starting with a digit (and whose second
// character is not above '9') is one number for `freq`; otherwise words
// "name:value" separated by spaces set the named setting. Nothing changes
// once the channel is in use.
void apply_channel_settings_text(SerialChannel& channel, const std::string& text);

}  // namespace tamori::input
