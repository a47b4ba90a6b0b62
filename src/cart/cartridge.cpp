#include "cart/cartridge.h"

#include <algorithm>

namespace tamori::cart {

std::unique_ptr<Cartridge> create_cartridge() {
  auto cartridge = std::make_unique<Cartridge>();
  reset_cartridge(*cartridge);
  return cartridge;
}

void reset_cartridge(Cartridge& cartridge) {
  cartridge.code.clear();
  cartridge.sprite_sheet.fill(0);
  cartridge.map.fill(0);
  cartridge.sprite_flags.fill(0);
  clear_sound_effects(cartridge);
  cartridge.music.fill(audio::default_music_pattern());
  cartridge.label.clear();
  cartridge.version = kCurrentCartridgeVersion;
  cartridge.change_mask.fill(0xff);
  cartridge.meta_sections.clear();
  cartridge.legacy_applied = false;
}

void clear_sound_effects(Cartridge& cartridge) {
  for (int index = 0; index < audio::kSoundEffectCount; ++index)
    cartridge.sound_effects[index] = audio::default_sound_effect(index);
}

bool sound_effect_is_default(const audio::SoundEffect& effect, int index) {
  return effect == audio::default_sound_effect(index);
}

bool music_pattern_is_default(const audio::MusicPattern& pattern) {
  return pattern == audio::default_music_pattern();
}

void ensure_label(Cartridge& cartridge) {
  if (cartridge.label.empty()) cartridge.label.assign(kLabelSize * kLabelSize, 0);
}

}  // namespace tamori::cart
