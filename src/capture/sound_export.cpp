#include "capture/sound_export.h"

#include <cstdio>

#include "audio/audio_lock.h"
#include "audio/channel_control.h"
#include "audio/mixer.h"
#include "audio/music_sequencer.h"
#include "audio/sfx_playback.h"
#include "capture/audio_recording.h"
#include "host/files.h"

namespace tamori::capture {
namespace {

constexpr int kNotesPerEffect = 32;

// Exported sound is the effects alone, without the program's audio
// registers.
const audio::AudioRegisters kPlainRegisters = {};

// The export runs the mixer itself, also while the device's sound is
// suspended; the suspension is put back afterwards.
struct Unsuspended {
  explicit Unsuspended(audio::AudioState& audio) : audio(audio), suspension(audio.suspension) { audio.suspension = 0; }
  ~Unsuspended() { audio.suspension = suspension; }
  audio::AudioState& audio;
  int suspension;
};

void silence(audio::AudioState& audio) {
  audio::stop_music_with_fade(audio, 0, 0);
  audio::stop_all_sounds(audio);
}

void mix_ticks(audio::AudioState& audio, std::vector<int16_t>& samples, int ticks) {
  const size_t start = samples.size();
  samples.resize(start + size_t(ticks) * kExportTickSamples);
  for (int tick = 0; tick < ticks; tick++)
    audio::mix_audio(audio, samples.data() + start + size_t(tick) * kExportTickSamples, kExportTickSamples,
                     kPlainRegisters);
}

bool numbers_every_effect(const std::string& name) {
  const size_t at = name.find("%d");
  if (at == std::string::npos || name.find("%d", at + 2) != std::string::npos) return false;
  return name.find('%') == at && name.find('%', at + 1) == std::string::npos;
}

std::vector<uint8_t> sample_bytes(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); i++) {
    bytes[2 * i] = uint8_t(uint16_t(samples[i]));
    bytes[2 * i + 1] = uint8_t(uint16_t(samples[i]) >> 8);
  }
  return bytes;
}

bool write_sound_file(const std::string& path, const std::vector<int16_t>& samples) {
  const std::vector<uint8_t> bytes = sample_bytes(samples);
  if (path.find(".raw") != std::string::npos) return host::write_file(path, bytes.data(), bytes.size());
  const std::vector<uint8_t> file = wav_file_bytes(bytes);
  return host::write_file(path, file.data(), file.size());
}

int effect_ticks(const audio::SoundEffect& effect) {
  // Speeds 0 and 1 both play a note a tick.
  return int(audio::effect_speed(effect)) * kNotesPerEffect;
}

}  // namespace

bool is_sound_export_name(const std::string& name) {
  return name.find(".wav") != std::string::npos || name.find(".raw") != std::string::npos;
}

std::vector<int16_t> render_sound_effect(audio::AudioState& audio, const audio::SoundEffect* effects, int effect) {
  audio::ScopedAudioLock lock(audio);
  Unsuspended unsuspended(audio);
  silence(audio);
  audio::ruvo_play_sfx_ex(audio, effect, 0, 0, effects, -1);
  std::vector<int16_t> samples;
  mix_ticks(audio, samples, effect_ticks(effects[effect]));
  silence(audio);
  return samples;
}

std::vector<int16_t> render_music(audio::AudioState& audio, const audio::SoundEffect* effects,
                                  const audio::MusicPattern* patterns, int pattern) {
  audio::ScopedAudioLock lock(audio);
  Unsuspended unsuspended(audio);
  silence(audio);
  audio::ruvo_play_song(audio, effects, patterns, pattern, 0, 0);
  std::vector<int16_t> samples;
  for (int tick = 0; tick < kMostMusicExportTicks && audio::music_is_playing(audio); tick++) mix_ticks(audio, samples, 1);
  silence(audio);
  return samples;
}

int export_sound(audio::AudioState& audio, const audio::SoundEffect* effects, const audio::MusicPattern* patterns,
                 const SoundExport& request, const std::function<void(const std::string& line)>& print) {
  char line[64];
  int written = 0;
  auto write = [&](const std::string& path, const std::vector<int16_t>& samples) {
    if (write_sound_file(path, samples))
      written++;
    else
      print("could not open file");
  };
  if (request.music) {
    const int pattern = request.selected_pattern & (audio::kMusicPatternCount - 1);
    std::snprintf(line, sizeof line, "pattern %d", pattern);
    print(line);
    write(request.name, render_music(audio, effects, patterns, pattern));
  } else {
    const bool every_effect = numbers_every_effect(request.name);
    const int first = every_effect ? 0 : request.selected_effect & (audio::kSoundEffectCount - 1);
    const int last = every_effect ? audio::kSoundEffectCount - 1 : first;
    for (int effect = first; effect <= last; effect++) {
      std::snprintf(line, sizeof line, "sfx %d :: ticks %d", effect, effect_ticks(effects[effect]));
      print(line);
      std::string path = request.name;
      if (every_effect) path.replace(path.find("%d"), 2, std::to_string(effect));
      write(path, render_sound_effect(audio, effects, effect));
    }
  }
  std::snprintf(line, sizeof line, "wrote %d file%c", written, written == 1 ? ' ' : 's');
  print(line);
  return written;
}

}  // namespace tamori::capture
