#include "audio/heard_moment.h"

#include <algorithm>

#include "audio/audio_lock.h"

namespace tamori::audio {
namespace {

int64_t duration_ms(int samples) { return int64_t{samples} * 1000 / kSampleRate; }

}  // namespace

void note_callback_timing(AudioState& audio, int samples, int32_t now_ms) {
  HeardTiming& timing = audio.heard_timing;
  const int64_t estimate = (2 * int64_t{now_ms} + 6 * (int64_t{timing.start_ms} + duration_ms(samples))) / 8;
  timing.previous_start_ms = timing.start_ms;
  timing.start_ms = static_cast<int32_t>(std::max(estimate, int64_t{now_ms} - 200));
  timing.callback_samples = samples;
}

ChannelStateRecord heard_record(const AudioState& audio, int channel, int32_t now_ms) {
  if (channel < 0 || channel >= kMixChannelCount) return {};
  const MixChannel& mix_channel = audio.channels[channel];
  const int64_t count = mix_channel.state_history_count;
  if (count <= 0) return {};
  const int64_t duration = duration_ms(audio.heard_timing.callback_samples);
  const int64_t since_start = int64_t{now_ms} - audio.heard_timing.start_ms;
  const int64_t index = duration > 0 ? since_start * (count - 1) / duration : 0;
  return mix_channel.state_history[std::clamp<int64_t>(index, 0, count - 1)];
}

void refresh_heard_moment(AudioState& audio, int32_t now_ms) {
  ScopedAudioLock lock(audio);
  HeardMoment& heard = audio.heard;
  for (int k = 0; k < kSfxChannelCount; ++k) {
    heard.sfx[k] = heard_record(audio, k, now_ms);
    if (!heard.sfx[k].effect) heard.sfx[k] = heard_record(audio, kFirstMusicChannel + k, now_ms);
  }
  heard.music = {};
  for (int k = 0; k < kSfxChannelCount; ++k) {
    const int channel = kFirstMusicChannel + k;
    const ChannelStateRecord record = heard_record(audio, channel, now_ms);
    if (!record.effect || !audio.channels[channel].music_flag) continue;
    if (!heard.music.effect || record.ticks_played >= heard.music.ticks_played) heard.music = record;
  }
}

}  // namespace tamori::audio
