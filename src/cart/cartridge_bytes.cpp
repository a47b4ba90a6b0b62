#include "cart/cartridge_bytes.h"

#include <algorithm>

namespace tamori::cart {
namespace {

constexpr uint32_t kSharedRegionStart = 0x1000;
constexpr uint32_t kMapStart = 0x2000;
constexpr uint32_t kFlagsStart = 0x3000;
constexpr uint32_t kMusicStart = 0x3100;
constexpr uint32_t kEffectsStart = 0x3200;
constexpr int kSharedMapFirstRow = 32;
constexpr int kSharedCellCount = kMapWidth * (kMapHeight - kSharedMapFirstRow);

// Map cell index of a byte in 0x1000..0x1fff (map rows 32..63).
int shared_map_index(uint32_t address) {
  return kSharedMapFirstRow * kMapWidth + static_cast<int>(address - kSharedRegionStart);
}

}  // namespace

uint8_t read_cartridge_byte(const Cartridge& cartridge, uint32_t address) {
  if (address < kMapStart) {
    // Two pixels a byte: x = 2 * (offset mod 64) in the low nibble.
    size_t pixel = static_cast<size_t>(address) * 2;
    return static_cast<uint8_t>((cartridge.sprite_sheet[pixel] & 0x0f) | ((cartridge.sprite_sheet[pixel + 1] & 0x0f) << 4));
  }
  if (address < kFlagsStart) return cartridge.map[address - kMapStart];
  if (address < kMusicStart) return cartridge.sprite_flags[address - kFlagsStart];
  if (address < kEffectsStart) {
    uint32_t offset = address - kMusicStart;
    return audio::read_music_pattern_byte(cartridge.music[offset / 4], static_cast<int>(offset % 4));
  }
  if (address < static_cast<uint32_t>(kRomByteCount)) {
    uint32_t offset = address - kEffectsStart;
    return audio::read_sound_effect_byte(cartridge.sound_effects[offset / audio::kSoundEffectByteSize],
                                         static_cast<int>(offset % audio::kSoundEffectByteSize));
  }
  return 0;
}

void write_cartridge_byte(Cartridge& cartridge, uint32_t address, uint8_t value) {
  if (address < kMapStart) {
    size_t pixel = static_cast<size_t>(address) * 2;
    cartridge.sprite_sheet[pixel] = value & 0x0f;
    cartridge.sprite_sheet[pixel + 1] = value >> 4;
    if (address >= kSharedRegionStart) cartridge.map[shared_map_index(address)] = value;
  } else if (address < kFlagsStart) {
    cartridge.map[address - kMapStart] = value;
  } else if (address < kMusicStart) {
    cartridge.sprite_flags[address - kFlagsStart] = value;
  } else if (address < kEffectsStart) {
    uint32_t offset = address - kMusicStart;
    audio::write_music_pattern_byte(cartridge.music[offset / 4], static_cast<int>(offset % 4), value);
  } else if (address < static_cast<uint32_t>(kRomByteCount)) {
    uint32_t offset = address - kEffectsStart;
    audio::write_sound_effect_byte(cartridge.sound_effects[offset / audio::kSoundEffectByteSize],
                                   static_cast<int>(offset % audio::kSoundEffectByteSize), value);
  }
}

void copy_cartridge_to_rom(const Cartridge& cartridge, uint8_t* rom) {
  for (uint32_t address = 0; address < static_cast<uint32_t>(kRomByteCount); ++address)
    rom[address] = read_cartridge_byte(cartridge, address);
}

void copy_rom_to_cartridge(const uint8_t* rom, Cartridge& cartridge) {
  for (uint32_t address = 0; address < static_cast<uint32_t>(kRomByteCount); ++address)
    write_cartridge_byte(cartridge, address, rom[address]);
}

void reconcile_shared_region(Cartridge& cartridge) {
  auto shared_cells = cartridge.map.begin() + kSharedMapFirstRow * kMapWidth;
  bool map_holds_data = std::any_of(shared_cells, shared_cells + kSharedCellCount, [](uint8_t cell) { return cell != 0; });
  for (int offset = 0; offset < kSharedCellCount; ++offset) {
    uint32_t address = kSharedRegionStart + static_cast<uint32_t>(offset);
    if (map_holds_data) {
      write_cartridge_byte(cartridge, address, shared_cells[offset]);
    } else {
      shared_cells[offset] = read_cartridge_byte(cartridge, address);
    }
  }
}

}  // namespace tamori::cart
