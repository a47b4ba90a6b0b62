#include "audio/channel_render.h"

#include <algorithm>
#include <iterator>

#include "audio/channel_control.h"
#include "audio/sfx_tick.h"

namespace tamori::audio {
namespace {

void record_state(const AudioState& audio, MixChannel& channel) {
  if (channel.state_history_count >= kStateHistoryCapacity) return;
  ChannelStateRecord& record = channel.state_history[channel.state_history_count++];
  record.tick_counter = channel.tick_counter;
  record.ticks_played = channel.ticks_played;
  record.effect = channel.effect;
  record.effect_number = effect_number(channel);
  record.note_index = channel.effect ? channel.tick_counter / effect_speed(*channel.effect) : 0;
  record.pattern = channel.pattern;
  record.patterns_advanced = audio.music.patterns_advanced;
}

void synthesise(AudioState& audio, int channel_index, int16_t* out, int count, const AudioRegisters& registers) {
  MixChannel& channel = audio.channels[channel_index];
  int written = 0;
  while (written < count) {
    if (channel.tick_position >= kTickSamples) compute_next_tick(audio, channel_index, registers);
    const int stretch = std::min(count - written, kTickSamples - channel.tick_position);
    std::copy_n(channel.tick_buffer + channel.tick_position, stretch, out + written);
    channel.tick_position += stretch;
    written += stretch;
    record_state(audio, channel);
  }
  record_state(audio, channel);
}

}  // namespace

void render_channel(AudioState& audio, int channel_index, int count, const AudioRegisters& registers) {
  MixChannel& channel = audio.channels[channel_index];
  count = std::clamp(count, 0, kChannelBufferSamples);
  std::fill(std::begin(channel.samples), std::end(channel.samples), int16_t{0});
  channel.state_history_count = 0;
  if ((registers[kRegisterHalfRate] >> (channel.register_index & 3)) & 1) {
    // Each synthesised sample is heard twice; one extra is made and dropped
    // so that odd counts are covered.
    synthesise(audio, channel_index, channel.samples, count / 2 + 1, registers);
    for (int i = count - 1; i >= 0; --i) channel.samples[i] = channel.samples[i / 2];
  } else {
    synthesise(audio, channel_index, channel.samples, count, registers);
  }
}

}  // namespace tamori::audio
