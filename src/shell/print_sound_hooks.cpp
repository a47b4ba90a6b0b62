#include "shell/print_sound_hooks.h"

#include "audio/audio_lock.h"
#include "audio/music_sequencer.h"
#include "audio/sfx_playback.h"

namespace tamori::shell {
namespace {

constexpr int kSfxChannels = 4;

bool effect_playing(Console& console, const audio::SoundEffect* effect) {
  audio::ScopedAudioLock lock(*console.audio);
  for (int channel = 0; channel < kSfxChannels; channel++)
    if (audio::channel_effect(*console.audio, channel) == effect) return true;
  return false;
}

}  // namespace

void connect_print_sound(Console& console) {
  machine::PrintSoundHooks& hooks = console.text->sound;
  hooks.sound_effect_playing = [&console](int slot) {
    if (slot < 0 || slot >= audio::kSoundEffectCount) return false;
    return effect_playing(console, &console.machine->sound_effects[slot]);
  };
  hooks.play_sound_effect = [&console](int slot) {
    audio::ScopedAudioLock lock(*console.audio);
    audio::ruvo_play_sfx_ex(*console.audio, slot, 0, 0, console.machine->sound_effects, -1);
  };
  // The beep lives in the console so that it outlasts the print that
  // started it while a channel plays it.
  hooks.play_sound_record = [&console](const audio::SoundEffect& effect) {
    audio::ScopedAudioLock lock(*console.audio);
    audio::ruvo_stop_sfx(*console.audio, console.print_beep.get());
    *console.print_beep = effect;
    audio::ruvo_play_sfx_ex(*console.audio, 0, 0, 0, console.print_beep.get(), -1);
  };
  hooks.music_playing = [&console]() {
    audio::ScopedAudioLock lock(*console.audio);
    return audio::music_is_playing(*console.audio);
  };
  hooks.stop_music_and_sounds = [&console]() {
    audio::ScopedAudioLock lock(*console.audio);
    audio::stop_all_sounds(*console.audio);
  };
}

}  // namespace tamori::shell
