#include "audio/note_effects.h"

namespace tamori::audio {

NoteSound apply_note_effect(const SoundNote* notes, int note_index, int32_t tick_counter, int32_t speed,
                            const HeardNote& slide_from) {
  const SoundNote& note = notes[note_index];
  const int64_t tick_in_note = tick_counter % speed;
  const int64_t ticks_left = speed - tick_in_note;
  NoteSound sound{note.pitch * 65536, note.volume * 256};
  switch (note.effect) {
    case 1: {
      int64_t from_pitch = note_index == 0 ? 24 : slide_from.pitch;
      int64_t from_volume = note_index == 0 ? note.volume : slide_from.volume;
      sound.pitch = static_cast<int32_t>((ticks_left * from_pitch * 65536 + tick_in_note * note.pitch * 65536) / speed);
      sound.volume = static_cast<int32_t>((tick_in_note * sound.volume + ticks_left * from_volume * 256) / speed);
      break;
    }
    case 4: sound.volume = static_cast<int32_t>(sound.volume * tick_in_note / speed); break;
    case 5: sound.volume = static_cast<int32_t>(sound.volume * ticks_left / speed); break;
    case 6:
    case 7: {
      // Cycle through the aligned group of four notes; slow effects slow it.
      int32_t divisor = note.effect == 6 ? 2 : 4;
      if (speed >= 9) divisor *= 2;
      int arpeggio_note = (note_index & 0x1c) + (tick_counter / divisor) % 4;
      sound.pitch = notes[arpeggio_note].pitch * 65536;
      break;
    }
    default: break;
  }
  return sound;
}

}  // namespace tamori::audio
