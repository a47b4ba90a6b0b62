#include "input/serial_channels.h"

#include <cstdlib>
#include <sstream>

namespace tamori::input {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int32_t decimal_value(const std::string& text) {
  return int32_t(std::strtol(text.c_str(), nullptr, 10));
}

int32_t* named_setting(ChannelSettings& settings, const std::string& name) {
  if (name == "freq") return &settings.freq;
  if (name == "dma") return &settings.dma;
  if (name == "type") return &settings.type;
  if (name == "brightness") return &settings.brightness;
  if (name == "invert") return &settings.invert;
  if (name == "leds") return &settings.leds;
  return nullptr;
}

}  // namespace

SerialChannel* serial_channel(ChannelTable& table, int channel) {
  if (channel < 0 || channel >= kSerialChannelCount) return nullptr;
  if (table.channels.empty()) table.channels.resize(kSerialChannelCount);
  SerialChannel& record = table.channels[size_t(channel)];
  if (!record.exists) {
    record = SerialChannel{};
    record.exists = true;
    record.channel = channel;
    record.high_byte = uint8_t(channel >> 8);
    record.low_byte = uint8_t(channel & 0xff);
  }
  return &record;
}

void clear_channel_table(ChannelTable& table) {
  for (SerialChannel& record : table.channels) record = SerialChannel{};
}

void apply_channel_settings_text(SerialChannel& channel, const std::string& text) {
  if (channel.in_use || text.size() > kChannelSettingsTextLimit) return;
  // The second character may be the end of the text.
  if (!text.empty() && is_digit(text[0]) && (text.size() < 2 || text[1] <= '9')) {
    channel.settings.freq = decimal_value(text);
    return;
  }
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    const size_t colon = word.find(':');
    if (colon == std::string::npos) continue;
    if (int32_t* setting = named_setting(channel.settings, word.substr(0, colon)))
      *setting = decimal_value(word.substr(colon + 1));
  }
}

}  // namespace tamori::input
