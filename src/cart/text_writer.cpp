#include "cart/text_writer.h"

#include <algorithm>

#include "host/files.h"

namespace tamori::cart {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kLabelDigits[] = "0123456789abcdefghijklmnopqrstuv";

void append_hex_byte(std::string& text, uint8_t value) {
  text += kHexDigits[value >> 4];
  text += kHexDigits[value & 15];
}

// Index of the last element for which `holds_data(i)` is true, or -1.
template <typename Predicate>
int last_index_where(int count, Predicate holds_data) {
  for (int i = count - 1; i >= 0; --i)
    if (holds_data(i)) return i;
  return -1;
}

void write_code(std::string& text, const Cartridge& cartridge, UppercaseForm uppercase) {
  if (cartridge.code.empty()) return;
  text += "__lua__\n";
  text += tmscii_to_utf8(cartridge.code, uppercase);
  text += '\n';
}

void write_sprites(std::string& text, const Cartridge& cartridge) {
  auto row_holds_data = [&](int row) {
    auto start = cartridge.sprite_sheet.begin() + row * kSpriteSheetSize;
    return std::any_of(start, start + kSpriteSheetSize, [](uint8_t pixel) { return pixel != 0; });
  };
  int last_row = last_index_where(kSpriteSheetSize, row_holds_data);
  if (last_row < 0) return;
  text += "__gfx__\n";
  for (int row = 0; row <= last_row; ++row) {
    for (int x = 0; x < kSpriteSheetSize; ++x) text += kHexDigits[std::min<int>(cartridge.sprite_sheet[row * kSpriteSheetSize + x], 15)];
    text += '\n';
  }
}

void write_label(std::string& text, const Cartridge& cartridge) {
  const auto& label = cartridge.label;
  if (label.size() != kLabelSize * kLabelSize) return;
  if (std::none_of(label.begin(), label.end(), [](uint8_t pixel) { return pixel != 0; })) return;
  text += "__label__\n";
  for (int row = 0; row < kLabelSize; ++row) {
    for (int x = 0; x < kLabelSize; ++x) {
      uint8_t pixel = label[row * kLabelSize + x];
      int value = (pixel & 15) + (pixel >= 128 && pixel <= 143 ? 16 : 0);
      text += kLabelDigits[value];
    }
    text += '\n';
  }
  text += '\n';
}

void write_flags(std::string& text, const Cartridge& cartridge) {
  const auto& flags = cartridge.sprite_flags;
  if (std::none_of(flags.begin(), flags.end(), [](uint8_t flag) { return flag != 0; })) return;
  text += "__gff__\n";
  for (int line = 0; line < 2; ++line) {
    for (int i = 0; i < 128; ++i) append_hex_byte(text, flags[line * 128 + i]);
    text += '\n';
  }
}

void write_map(std::string& text, const Cartridge& cartridge) {
  // Rows 32..63 share their bytes with the sprite sheet, written there.
  auto row_holds_data = [&](int row) {
    auto start = cartridge.map.begin() + row * kMapWidth;
    return std::any_of(start, start + kMapWidth, [](uint8_t cell) { return cell != 0; });
  };
  int last_row = last_index_where(32, row_holds_data);
  if (last_row < 0) return;
  text += "__map__\n";
  for (int row = 0; row <= last_row; ++row) {
    for (int x = 0; x < kMapWidth; ++x) append_hex_byte(text, cartridge.map[row * kMapWidth + x]);
    text += '\n';
  }
}

void write_effects(std::string& text, const Cartridge& cartridge) {
  int last = last_index_where(audio::kSoundEffectCount,
                              [&](int i) { return !sound_effect_is_default(cartridge.sound_effects[i], i); });
  if (last < 0) return;
  text += "__sfx__\n";
  for (int i = 0; i <= last; ++i) {
    const audio::SoundEffect& effect = cartridge.sound_effects[i];
    append_hex_byte(text, static_cast<uint8_t>((effect.filter_bits & 0xfe) | (effect.editor_mode ? 1 : 0)));
    append_hex_byte(text, effect.speed);
    append_hex_byte(text, effect.loop_start);
    append_hex_byte(text, effect.loop_end);
    for (const audio::SoundNote& note : effect.notes) {
      append_hex_byte(text, note.pitch & 63);
      text += kHexDigits[(note.waveform & 7) + (note.custom_instrument ? 8 : 0)];
      text += kHexDigits[note.volume & 7];
      text += kHexDigits[note.effect & 7];
    }
    text += '\n';
  }
}

void write_music(std::string& text, const Cartridge& cartridge) {
  int last = last_index_where(audio::kMusicPatternCount, [&](int i) { return !music_pattern_is_default(cartridge.music[i]); });
  if (last < 0) return;
  text += "__music__\n";
  for (int i = 0; i <= last; ++i) {
    const audio::MusicPattern& pattern = cartridge.music[i];
    append_hex_byte(text, pattern.flags);
    text += ' ';
    for (uint8_t track : pattern.tracks) append_hex_byte(text, track);
    text += '\n';
  }
  text += '\n';
}

void write_change_mask(std::string& text, const Cartridge& cartridge) {
  const auto& mask = cartridge.change_mask;
  if (std::all_of(mask.begin(), mask.end(), [](uint8_t byte) { return byte == 0xff; })) return;
  text += "__change_mask__\n";
  for (uint8_t byte : mask) append_hex_byte(text, byte);
  text += '\n';
}

void write_meta_sections(std::string& text, const Cartridge& cartridge) {
  for (const MetaSection& section : cartridge.meta_sections) {
    text += section.marker_line;
    text += '\n';
    text += section.text;
    if (!section.text.empty() && section.text.back() != '\n') text += '\n';
  }
}

}  // namespace

std::string write_cartridge_text(const Cartridge& cartridge, UppercaseForm uppercase) {
  std::string text = kTextCartridgeHeader;
  text += "\nversion " + std::to_string(kCurrentCartridgeVersion) + "\n";
  write_code(text, cartridge, uppercase);
  write_sprites(text, cartridge);
  write_label(text, cartridge);
  write_flags(text, cartridge);
  write_map(text, cartridge);
  write_effects(text, cartridge);
  write_music(text, cartridge);
  write_change_mask(text, cartridge);
  write_meta_sections(text, cartridge);
  return text;
}

int save_cartridge_text(const Cartridge& cartridge, const std::string& path) {
  return host::write_file(path, write_cartridge_text(cartridge)) ? 0 : 1;
}

int save_cartridge_text(const Cartridge& cartridge, std::FILE* file) {
  if (file == nullptr) return 1;
  std::string text = write_cartridge_text(cartridge);
  return std::fwrite(text.data(), 1, text.size(), file) == text.size() ? 0 : 1;
}

}  // namespace tamori::cart
