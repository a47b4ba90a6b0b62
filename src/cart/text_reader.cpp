#include "cart/text_reader.h"

#include <algorithm>
#include <climits>

#include "cart/text_lines.h"
#include "cart/tmscii_utf8.h"
#include "host/files.h"

namespace tamori::cart {
namespace {

constexpr std::string_view kHeaderText = "tamori cartridge";
constexpr std::string_view kEndLine = "##end_tm";
constexpr int kMaxSpriteRows = 128;
constexpr int kMaxFlagLines = 2;
constexpr int kFlagsPerLine = 128;
constexpr int kMaxMapRows = 64;
constexpr int kMaxEffectLines = 64;
constexpr int kMaxMusicLines = 64;
constexpr int kMaxLabelRows = 128;
constexpr int kEffectNotesStart = 8;
constexpr int kEffectNoteWidth = 5;
// Files before these versions lack a feature of the format.
constexpr int kFirstVersionWithTwoDigitFlags = 3;
constexpr int kFirstVersionWithMusicFlags = 3;
constexpr int kFirstVersionWithSilentTrackZero = 4;
constexpr uint8_t kSilentTrack = 0x41;

enum class Section { none, code, sprites, flags, map, effects, music, label, change_mask, meta };

struct ReaderState {
  Cartridge& cartridge;
  Section section = Section::none;
  int rows_in_section = 0;
  bool meta_full = false;  // the current meta section takes no more lines
  bool ignoring_meta = false;
};

bool starts_with(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

// The section a marker line starts, or none for a data line.
Section marker_section(std::string_view line) {
  if (line.size() < 7 || line[0] != '_' || line[1] != '_') return Section::none;
  if (starts_with(line, "__lua__")) return Section::code;
  if (starts_with(line, "__gfx__")) return Section::sprites;
  if (starts_with(line, "__gff__")) return Section::flags;
  if (starts_with(line, "__map__")) return Section::map;
  if (starts_with(line, "__sfx__")) return Section::effects;
  if (starts_with(line, "__music__")) return Section::music;
  if (starts_with(line, "__label__")) return Section::label;
  if (starts_with(line, "__change_mask__")) return Section::change_mask;
  if (starts_with(line, "__meta:")) return Section::meta;
  return Section::none;
}

// One lowercase hex digit; anything else, and characters past the end of
// the line, read as 0.
int hex_digit_at(std::string_view line, std::size_t position) {
  if (position >= line.size()) return 0;
  char c = line[position];
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

uint8_t hex_byte_at(std::string_view line, std::size_t position) {
  return static_cast<uint8_t>(hex_digit_at(line, position) * 16 + hex_digit_at(line, position + 1));
}

// Label digits run "0".."9", "a".."v" (either case) for 0..31.
int label_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'v') return c - 'a' + 10;
  if (c >= 'A' && c <= 'V') return c - 'A' + 10;
  return 0;
}

bool read_code_line(Cartridge& cartridge, std::string_view line) {
  std::string converted = utf8_to_tmscii(line);
  // The final "\n" is removed at the end, so it does not count.
  if (cartridge.code.size() + converted.size() > kMaxCartridgeCodeLength) return false;
  cartridge.code += converted;
  cartridge.code += '\n';
  return true;
}

void read_sprite_row(Cartridge& cartridge, std::string_view line, int row) {
  for (int x = 0; x < kSpriteSheetSize; ++x)
    cartridge.sprite_sheet[row * kSpriteSheetSize + x] = static_cast<uint8_t>(hex_digit_at(line, x));
}

void read_flag_line(Cartridge& cartridge, std::string_view line, int line_index) {
  bool two_digits = cartridge.version >= kFirstVersionWithTwoDigitFlags;
  for (int i = 0; i < kFlagsPerLine; ++i) {
    uint8_t flag = two_digits ? hex_byte_at(line, 2 * i) : static_cast<uint8_t>(hex_digit_at(line, i));
    cartridge.sprite_flags[line_index * kFlagsPerLine + i] = flag;
  }
}

void read_map_row(Cartridge& cartridge, std::string_view line, int row) {
  for (int x = 0; x < kMapWidth; ++x) cartridge.map[row * kMapWidth + x] = hex_byte_at(line, 2 * x);
}

void read_effect_line(Cartridge& cartridge, std::string_view line, int index) {
  audio::SoundEffect& effect = cartridge.sound_effects[index];
  uint8_t mode_and_filters = hex_byte_at(line, 0);
  effect.editor_mode = (mode_and_filters & 1) != 0;
  effect.filter_bits = static_cast<uint8_t>(mode_and_filters & 0xfe);
  effect.speed = hex_byte_at(line, 2);
  effect.loop_start = hex_byte_at(line, 4);
  effect.loop_end = hex_byte_at(line, 6);
  for (int n = 0; n < audio::kNotesPerSoundEffect; ++n) {
    std::size_t start = kEffectNotesStart + static_cast<std::size_t>(n) * kEffectNoteWidth;
    audio::SoundNote& note = effect.notes[n];
    int waveform_digit = hex_digit_at(line, start + 2);
    int effect_digit = hex_digit_at(line, start + 4);
    note.pitch = hex_byte_at(line, start) & 63;
    note.waveform = static_cast<uint8_t>(waveform_digit & 7);
    note.volume = static_cast<uint8_t>(hex_digit_at(line, start + 3) & 7);
    note.effect = static_cast<uint8_t>(effect_digit & 7);
    note.custom_instrument = ((waveform_digit | effect_digit) & 8) != 0;
  }
}

void read_music_line(Cartridge& cartridge, std::string_view line, int index) {
  audio::MusicPattern& pattern = cartridge.music[index];
  std::size_t tracks_start = 0;
  pattern.flags = 0;
  if (cartridge.version >= kFirstVersionWithMusicFlags) {
    pattern.flags = hex_byte_at(line, 0) & 0x0f;  // four flags exist
    tracks_start = 3;
  }
  for (int track = 0; track < 4; ++track) {
    uint8_t value = hex_byte_at(line, tracks_start + 2 * static_cast<std::size_t>(track)) & 0x7f;
    if (cartridge.version < kFirstVersionWithSilentTrackZero && value == 0) value = kSilentTrack;
    pattern.tracks[track] = value;
  }
}

void read_label_row(Cartridge& cartridge, std::string_view line, int row) {
  ensure_label(cartridge);
  for (int x = 0; x < kLabelSize; ++x) {
    int value = x < static_cast<int>(line.size()) ? label_digit(line[x]) : 0;
    if (value >= 16) value += 128 - 16;
    cartridge.label[row * kLabelSize + x] = static_cast<uint8_t>(value);
  }
}

void read_change_mask(Cartridge& cartridge, std::string_view line) {
  for (int i = 0; i < kChangeMaskByteCount; ++i) cartridge.change_mask[i] = hex_byte_at(line, 2 * static_cast<std::size_t>(i));
}

void read_meta_line(ReaderState& state, std::string_view line) {
  if (state.ignoring_meta || state.meta_full) return;
  std::string& text = state.cartridge.meta_sections.back().text;
  if (text.size() + line.size() + 1 >= kMaxMetaSectionSize) {
    state.meta_full = true;
    return;
  }
  text.append(line);
  text += '\n';
}

void start_section(ReaderState& state, Section section, std::string_view marker_line) {
  state.section = section;
  state.rows_in_section = 0;
  state.meta_full = false;
  state.ignoring_meta = false;
  if (section != Section::meta) return;
  if (state.cartridge.meta_sections.size() >= kMaxMetaSections) {
    state.ignoring_meta = true;
    return;
  }
  state.cartridge.meta_sections.push_back({std::string(marker_line), std::string()});
}

// One row of a section whose lines are rows of fixed fields; rows beyond
// the section's limit are ignored.
void read_section_row(Cartridge& cartridge, Section section, std::string_view line, int row) {
  switch (section) {
    case Section::sprites:
      if (row < kMaxSpriteRows) read_sprite_row(cartridge, line, row);
      break;
    case Section::flags:
      if (row < kMaxFlagLines) read_flag_line(cartridge, line, row);
      break;
    case Section::map:
      if (row < kMaxMapRows) read_map_row(cartridge, line, row);
      break;
    case Section::effects:
      if (row < kMaxEffectLines) read_effect_line(cartridge, line, row);
      break;
    case Section::music:
      if (row < kMaxMusicLines) read_music_line(cartridge, line, row);
      break;
    case Section::label:
      if (row < kMaxLabelRows) read_label_row(cartridge, line, row);
      break;
    case Section::change_mask:
      if (row == 0) read_change_mask(cartridge, line);
      break;
    case Section::none:
    case Section::code:
    case Section::meta: break;
  }
}

// Reads one data line into the current section; false when the code grows
// beyond its limit.
bool read_data_line(ReaderState& state, std::string_view line) {
  switch (state.section) {
    case Section::none: return true;
    case Section::code: return read_code_line(state.cartridge, line);
    case Section::meta: read_meta_line(state, line); return true;
    default: break;
  }
  // The empty line that closes the music and label sections is no row.
  if (line.empty()) return true;
  read_section_row(state.cartridge, state.section, line, state.rows_in_section);
  state.rows_in_section = std::min(state.rows_in_section + 1, INT_MAX - 1);
  return true;
}

bool header_line_is_valid(std::string_view line) {
  std::size_t first_letter = line.find(kHeaderText[0]);
  return first_letter != std::string_view::npos && starts_with(line.substr(first_letter), kHeaderText);
}

}  // namespace

int parse_version_line(std::string_view line) {
  constexpr std::string_view kWord = "version";
  if (!starts_with(line, kWord)) return 0;
  std::size_t position = kWord.size();
  while (position < line.size() && (line[position] == ' ' || (line[position] >= '\t' && line[position] <= '\r'))) ++position;
  bool negative = false;
  if (position < line.size() && (line[position] == '-' || line[position] == '+')) negative = line[position++] == '-';
  long long value = 0;
  while (position < line.size() && line[position] >= '0' && line[position] <= '9') {
    value = std::min<long long>(value * 10 + (line[position] - '0'), static_cast<long long>(INT_MAX) + 1);
    ++position;
  }
  if (negative) return static_cast<int>(std::max<long long>(-value, INT_MIN));
  return static_cast<int>(std::min<long long>(value, INT_MAX));
}

TextLoadResult read_cartridge_text(std::string_view text, const TextLoadOptions& options) {
  TextLoadResult result;
  TextLines lines{text};
  std::string_view line;
  if (!next_text_line(lines, &line) || !header_line_is_valid(line)) return result;
  int version = next_text_line(lines, &line) ? parse_version_line(line) : 0;
  if (version > kCurrentCartridgeVersion && !options.accept_future) {
    result.status = TextLoadStatus::future_version;
    return result;
  }

  auto cartridge = create_cartridge();
  cartridge->version = version;
  ReaderState state{*cartridge};
  while (next_text_line(lines, &line)) {
    if (starts_with(line, kEndLine)) break;
    Section section = marker_section(line);
    if (section != Section::none) {
      start_section(state, section, line);
      continue;
    }
    if (!read_data_line(state, line)) {
      result.status = TextLoadStatus::code_too_large;
      return result;
    }
  }
  if (!cartridge->code.empty() && cartridge->code.back() == '\n') cartridge->code.pop_back();
  // A label of zeros only is no label: the writer leaves it out, so keeping
  // it would make the record change when stored and read again.
  const auto& label = cartridge->label;
  if (std::all_of(label.begin(), label.end(), [](uint8_t pixel) { return pixel == 0; })) cartridge->label.clear();
  result.cartridge = std::move(cartridge);
  result.status = TextLoadStatus::loaded;
  return result;
}

TextLoadResult load_cartridge_text(const std::string& path, const TextLoadOptions& options) {
  auto bytes = host::read_file(path, kMaxTextCartridgeFileSize);
  if (!bytes) return {};
  std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  return read_cartridge_text(text, options);
}

}  // namespace tamori::cart
