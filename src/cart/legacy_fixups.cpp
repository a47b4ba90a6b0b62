#include "cart/legacy_fixups.h"

#include <algorithm>

#include "host/log.h"

namespace tamori::cart {

const char* const kEarlyApiTrigger = "print(\"early api test cart\")";
// Each definition is one line so that the program's own lines move by a
// known amount.
const char* const kEarlyApiPrelude =
    "function foreach(a,f) for i=1,#a do f(a[i]) end end\n"
    "function all(a) local i=0 return function() i=i+1 return a[i] end end\n"
    "function add(a,v) a[#a+1]=v return v end\n"
    "function count(a) return #a end\n"
    "function del(a,v) for i=1,#a do if a[i]==v then for j=i,#a-1 do a[j]=a[j+1] end a[#a]=nil return v end end end\n";

namespace {

constexpr int kNoiseWaveform = 6;
constexpr int kMaxEarlyNoiseVolume = 5;
constexpr int kSlideEffect = 1;
constexpr int kHighestEffectNumber = 63;
constexpr int kMessageMilliseconds = 3000;

struct TrackInfo {
  bool present = false;
  bool loops = false;
  int length = 0;
};

TrackInfo track_info(const Cartridge& cartridge, uint8_t track_value) {
  TrackInfo info;
  if (track_value > kHighestEffectNumber) return info;
  const audio::SoundEffect& effect = cartridge.sound_effects[track_value];
  info.present = true;
  info.loops = effect.loop_start < effect.loop_end;
  info.length = 32 * std::max<int>(effect.speed, 1);
  return info;
}

// Early music players timed a pattern by its first non-looping track; put
// the longest such track first so that the pattern keeps its old length.
void reorder_pattern_tracks(Cartridge& cartridge, int pattern_index) {
  audio::MusicPattern& pattern = cartridge.music[pattern_index];
  TrackInfo tracks[4];
  int longest = 0;
  for (int k = 0; k < 4; ++k) {
    tracks[k] = track_info(cartridge, pattern.tracks[k]);
    if (tracks[k].present) longest = std::max(longest, tracks[k].length);
  }
  auto deciding = [&](int k) { return tracks[k].present && !tracks[k].loops; };
  int first = -1;
  for (int k = 0; k < 4 && first < 0; ++k)
    if (deciding(k)) first = k;
  if (first < 0 || tracks[first].length == longest) return;
  if (deciding(0) && tracks[0].length == longest) return;
  for (int k = 1; k < 4; ++k) {
    if (deciding(k) && tracks[k].length == longest) {
      std::swap(pattern.tracks[0], pattern.tracks[k]);
      host::ruvo_log("legacy: pat %d swap chan: %d %d", pattern_index, 0, k);
      return;
    }
  }
}

void quieten_noise_notes(Cartridge& cartridge) {
  for (audio::SoundEffect& effect : cartridge.sound_effects)
    for (audio::SoundNote& note : effect.notes)
      if (note.waveform == kNoiseWaveform && !note.custom_instrument)
        note.volume = static_cast<uint8_t>(std::min<int>(note.volume, kMaxEarlyNoiseVolume));
}

void inject_early_api(Cartridge& cartridge, const CartridgeHost& host) {
  if (cartridge.code.find(kEarlyApiTrigger) == std::string::npos) return;
  std::string code = std::string(kEarlyApiPrelude) + cartridge.code;
  if (code.size() > kMaxCartridgeCodeLength) return;
  cartridge.code = std::move(code);
  print_host_line(host, "legacy: 0.1.1 api injected", 6);
}

// Effects from before custom instruments and long loops: a silent slide
// note meant no slide.
void clear_silent_slides(Cartridge& cartridge) {
  for (const audio::SoundEffect& effect : cartridge.sound_effects) {
    if (effect.loop_start > kHighestEffectNumber || effect.loop_end > kHighestEffectNumber) return;
    for (const audio::SoundNote& note : effect.notes)
      if (note.custom_instrument) return;
  }
  for (audio::SoundEffect& effect : cartridge.sound_effects)
    for (audio::SoundNote& note : effect.notes)
      if (note.effect == kSlideEffect && note.volume == 0) note.effect = 0;
}

}  // namespace

void apply_legacy_fixups(Cartridge& cartridge, const CartridgeHost& host) {
  if (cartridge.legacy_applied) return;
  cartridge.legacy_applied = true;
  int version = cartridge.version;
  if (version >= 19 && version <= 23) {
    if (cartridge.code.find("@@") != std::string::npos)
      show_host_message(host, "warning: possible deprecated @@", kMessageMilliseconds);
    return;
  }
  if (version <= 4) {
    for (int pattern = 0; pattern < audio::kMusicPatternCount; ++pattern) reorder_pattern_tracks(cartridge, pattern);
    quieten_noise_notes(cartridge);
    inject_early_api(cartridge, host);
  }
  if (version <= 10) clear_silent_slides(cartridge);
}

}  // namespace tamori::cart
