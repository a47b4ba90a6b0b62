#include "host/sdl/sdl_audio.h"

#include <SDL.h>

#include <algorithm>

#include "host/log.h"

namespace tamori::host {
namespace {

struct SdlAudio {
  SDL_AudioDeviceID device = 0;
  AudioCallback callback = nullptr;
  void* user = nullptr;
};

SdlAudio audio_state;

void fill_stream(void* userdata, Uint8* stream, int length) {
  const SdlAudio& audio = *static_cast<const SdlAudio*>(userdata);
  if (audio.callback) audio.callback(audio.user, stream, length);
}

void log_open_failure() {
  ruvo_log("SDL_OpenAudio failed: %s\n", SDL_GetError());
  ruvo_log("built-in audio drivers:\n");
  for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) ruvo_log("  %s\n", SDL_GetAudioDriver(i));
}

}  // namespace

bool sdl_open_audio(void*, const AudioRequest& request, AudioCallback callback, void* user, AudioFormat& obtained) {
  if (audio_state.device) return false;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    log_open_failure();
    return false;
  }
  audio_state.callback = callback;
  audio_state.user = user;
  SDL_AudioSpec wanted{};
  wanted.freq = request.rate;
  wanted.format = AUDIO_S16LSB;
  wanted.channels = static_cast<Uint8>(std::clamp(request.channels, 1, 2));
  wanted.samples = static_cast<Uint16>(std::clamp(request.buffer_samples, 64, 8192));
  wanted.callback = fill_stream;
  wanted.userdata = &audio_state;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the hardware wants, so the
  // callback always sees the format asked for.
  audio_state.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &have, 0);
  if (!audio_state.device) {
    log_open_failure();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audio_state = {};
    return false;
  }
  obtained.rate = have.freq;
  obtained.channels = have.channels;
  SDL_PauseAudioDevice(audio_state.device, 0);
  return true;
}

void sdl_lock_audio(void*) {
  if (audio_state.device) SDL_LockAudioDevice(audio_state.device);
}

void sdl_unlock_audio(void*) {
  if (audio_state.device) SDL_UnlockAudioDevice(audio_state.device);
}

void sdl_close_audio(void*) {
  if (!audio_state.device) return;
  SDL_CloseAudioDevice(audio_state.device);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  audio_state = {};
}

}  // namespace tamori::host
