// The cartridge record: one program with its assets, as the loaders fill it
// and the savers write it.
//
// The record is large (about 60 KB): create it with create_cartridge and
// keep it on the heap.
//
// Invariant kept by every loader: map rows 32..63 hold the same bytes as
// sprite rows 64..127 once a cartridge has been prepared to run; a freshly
// read text cartridge may still differ there until the shared region is
// reconciled (reconcile_shared_region).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/sound_records.h"

namespace tamori::cart {

inline constexpr int kSpriteSheetSize = 128;
inline constexpr int kMapWidth = 128;
inline constexpr int kMapHeight = 64;
inline constexpr int kLabelSize = 128;
inline constexpr int kSpriteFlagCount = 256;
inline constexpr int kRomByteCount = 0x4300;
inline constexpr int kChangeMaskByteCount = kRomByteCount / 8;  // 2144
inline constexpr int kCurrentCartridgeVersion = 43;
// Longest code the record holds (the terminator is not counted).
inline constexpr std::size_t kMaxCartridgeCodeLength = 65535;

// A named text block kept verbatim: its marker line ("__meta:" + name, as
// read) and its lines, each ended with "\n".
struct MetaSection {
  std::string marker_line;
  std::string text;

  bool operator==(const MetaSection&) const = default;
};

struct Cartridge {
  std::string code;  // tmscii; tabs separated by the line "-->8"
  std::array<uint8_t, kSpriteSheetSize * kSpriteSheetSize> sprite_sheet{};  // pixels 0..15, row-major
  std::array<uint8_t, kMapWidth * kMapHeight> map{};                        // cells, row-major
  std::array<uint8_t, kSpriteFlagCount> sprite_flags{};
  std::array<audio::SoundEffect, audio::kSoundEffectCount> sound_effects{};
  std::array<audio::MusicPattern, audio::kMusicPatternCount> music{};
  // Empty when the cartridge has no label, else 128 x 128 pixels with values
  // 0..15 and 128..143.
  std::vector<uint8_t> label;
  int version = kCurrentCartridgeVersion;
  // Bit i (byte i / 8, bit i % 8) set: ROM byte i belongs to this record.
  std::array<uint8_t, kChangeMaskByteCount> change_mask{};
  std::vector<MetaSection> meta_sections;
  bool legacy_applied = false;

  bool operator==(const Cartridge&) const = default;
};

// A new record: empty code, every pixel, cell and flag 0, default sound
// effects and silent music, no label, the current version, change mask all
// ones.
std::unique_ptr<Cartridge> create_cartridge();
void reset_cartridge(Cartridge& cartridge);

// The record's state as a new one has it, part by part.
void clear_sound_effects(Cartridge& cartridge);
bool sound_effect_is_default(const audio::SoundEffect& effect, int index);
bool music_pattern_is_default(const audio::MusicPattern& pattern);

// Label helpers: create the (all 0) label picture if missing.
void ensure_label(Cartridge& cartridge);

}  // namespace tamori::cart
