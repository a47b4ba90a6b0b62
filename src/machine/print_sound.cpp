#include "machine/print_sound.h"

#include <algorithm>

namespace tamori::machine {

namespace {

constexpr int kBeepPitch = 46;
constexpr int kBeepVolume = 5;
constexpr int kBeepSpeed = 16;
constexpr int kDefaultSpeed = 4;
constexpr int kDefaultOctave = 3;
constexpr int kDefaultInstrument = 5;
constexpr int kDefaultVolume = 5;

bool ends_sound(std::string_view text, size_t position) {
  return position >= text.size() || text[position] == '\0' || text[position] == ' ' || text[position] == '\n';
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A parameter character: '0'..'9' are 0..9, 'a' on counts from 10.
int parameter_value(char c) {
  if (is_digit(c)) return c - '0';
  if (static_cast<unsigned char>(c) >= 'a') return static_cast<unsigned char>(c) - 87;
  return 0;
}

// Reads one parameter character, 0 when the text ends.
int next_parameter(std::string_view text, size_t& position) {
  if (position >= text.size()) return 0;
  return parameter_value(text[position++]);
}

void skip_terminator(std::string_view text, size_t& position) {
  if (position < text.size() && text[position] == ' ') ++position;
}

// Note letters a..g as semitones above c.
int letter_semitone(char c) {
  static const int kSemitones[7] = {9, 11, 0, 2, 4, 5, 7};
  return kSemitones[c - 'a'];
}

audio::SoundNote make_note(int pitch, int instrument, int volume, int effect) {
  audio::SoundNote note;
  note.pitch = static_cast<uint8_t>(std::clamp(pitch, 0, 63));
  note.waveform = static_cast<uint8_t>(instrument & 7);
  note.volume = static_cast<uint8_t>(std::clamp(volume, 0, 7));
  note.effect = static_cast<uint8_t>(effect & 7);
  return note;
}

void read_notes(std::string_view text, size_t& position, audio::SoundEffect& effect) {
  int octave = kDefaultOctave, instrument = kDefaultInstrument, volume = kDefaultVolume, effect_number = 0;
  int count = 0;
  while (!ends_sound(text, position) && count < audio::kNotesPerSoundEffect) {
    auto c = static_cast<unsigned char>(text[position++]);
    if (c >= 'a' && c <= 'g') {
      int semitone = letter_semitone(static_cast<char>(c));
      if (position < text.size() && text[position] == '#') {
        ++semitone;
        ++position;
      } else if (position < text.size() && text[position] == '-') {
        --semitone;
        ++position;
      }
      int note_octave = octave;
      if (position < text.size() && text[position] >= '0' && text[position] <= '5')
        note_octave = text[position++] - '0';
      effect.notes[count++] = make_note(semitone + 12 * note_octave, instrument, volume, effect_number);
    } else if (c == 'i') {
      instrument = next_parameter(text, position);
    } else if (c == 'v') {
      volume = next_parameter(text, position);
    } else if (c == 'x') {
      effect_number = next_parameter(text, position);
    } else if (c == '.') {
      effect.notes[count++] = make_note(0, instrument, 0, 0);
    } else if (c == '[') {
      octave = std::max(octave - 1, 0);
    } else if (c == ']') {
      octave = std::min(octave + 1, 5);
    } else if (c == '<') {
      volume = std::max(volume - 1, 0);
    } else if (c == '>') {
      volume = std::min(volume + 1, 7);
    } else if ((c >= 'a' && c <= 'z') || c < ' ' || c > '`') {
      effect.notes[count++] = make_note(12 + 12 * octave, instrument, volume, effect_number);
    }
    // Other characters from '!' to '`' have no meaning here and are skipped.
  }
  // Notes beyond the 32nd are dropped.
  while (!ends_sound(text, position)) ++position;
  skip_terminator(text, position);
}

}  // namespace

PrintSoundCommand read_print_sound(std::string_view text, size_t& position) {
  PrintSoundCommand command;
  if (ends_sound(text, position)) {
    command.kind = PrintSoundCommand::Kind::kBeep;
    command.effect.speed = kBeepSpeed;
    command.effect.notes[0] = make_note(kBeepPitch, 0, kBeepVolume, 0);
    skip_terminator(text, position);
    return command;
  }
  size_t digits = 0;
  int slot = 0;
  while (digits < 2 && position + digits < text.size() && is_digit(text[position + digits]))
    slot = slot * 10 + (text[position + digits++] - '0');
  if (digits > 0 && slot <= 63) {
    command.slot = slot;
    position += digits;
    if (ends_sound(text, position)) {
      command.kind = PrintSoundCommand::Kind::kPlayStored;
      skip_terminator(text, position);
      return command;
    }
  } else {
    position += digits;
  }

  command.kind = PrintSoundCommand::Kind::kDefine;
  command.effect.speed = kDefaultSpeed;
  for (bool options = true; options && position < text.size();) {
    char c = text[position];
    if (c == 's') {
      ++position;
      command.effect.speed = static_cast<uint8_t>(next_parameter(text, position));
    } else if (c == 'l') {
      ++position;
      command.effect.loop_start = static_cast<uint8_t>(next_parameter(text, position));
      command.effect.loop_end = static_cast<uint8_t>(next_parameter(text, position));
    } else if (c == 'z') {
      ++position;
      command.effect.filter_bits = static_cast<uint8_t>((2 * next_parameter(text, position)) & 0xfe);
    } else {
      options = false;
    }
  }
  read_notes(text, position, command.effect);
  return command;
}

}  // namespace tamori::machine
