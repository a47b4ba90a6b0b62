#include "machine/memory_registers.h"

#include "machine/memory_map.h"

namespace tamori::machine {

namespace {

uint8_t byte_of_word(uint32_t word, int index) { return static_cast<uint8_t>(word >> (8 * index)); }

uint32_t with_byte_of_word(uint32_t word, int index, uint8_t value) {
  uint32_t shift = 8u * static_cast<uint32_t>(index);
  return (word & ~(0xffu << shift)) | (static_cast<uint32_t>(value) << shift);
}

uint8_t low_byte(int16_t value) { return static_cast<uint8_t>(static_cast<uint16_t>(value) & 0xff); }
uint8_t high_byte(int16_t value) { return static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8); }

int16_t with_low_byte(int16_t value, uint8_t byte) {
  return static_cast<int16_t>((static_cast<uint16_t>(value) & 0xff00) | byte);
}
int16_t with_high_byte(int16_t value, uint8_t byte) {
  return static_cast<int16_t>((static_cast<uint16_t>(value) & 0x00ff) | (byte << 8));
}

}  // namespace

uint8_t read_register_byte(const MachineState& state, int offset) {
  const DrawStateRegisters& r = state.registers;
  uint32_t address = kRegistersAddress + static_cast<uint32_t>(offset);
  if (offset < 0x10) return r.draw_palette[offset];
  if (offset < 0x20) return r.screen_palette[offset - 0x10];
  if (offset >= 0x60 && offset < 0x70) return r.secondary_palette[offset - 0x60];
  if (offset >= 0x44 && offset < 0x4c) return byte_of_word(state.random_state[(offset - 0x44) / 4], (offset - 0x44) % 4);
  if (offset >= 0x4c && offset < 0x54) return state.button_bits[offset - 0x4c];
  if (offset >= 0x40 && offset < 0x44) return r.audio_registers[offset - 0x40];
  switch (offset) {
    case 0x20: return r.clip_x0;
    case 0x21: return r.clip_y0;
    case 0x22: return r.clip_x1;
    case 0x23: return r.clip_y1;
    case 0x24: return r.print_home_x;
    case 0x25: return r.pen_colour;
    case 0x26: return r.cursor_x;
    case 0x27: return r.cursor_y;
    case 0x28: return low_byte(r.camera_x);
    case 0x29: return high_byte(r.camera_x);
    case 0x2a: return low_byte(r.camera_y);
    case 0x2b: return high_byte(r.camera_y);
    case 0x2c: return r.screen_mode;
    case 0x31: return static_cast<uint8_t>(r.fill_pattern);
    case 0x32: return static_cast<uint8_t>(r.fill_pattern >> 8);
    case 0x33: return static_cast<uint8_t>(r.fill_pattern >> 16);
    case 0x34: return r.colour_argument_flags;
    case 0x35: return r.line_end_invalid;
    case 0x3c: return low_byte(r.line_end_x);
    case 0x3d: return high_byte(r.line_end_x);
    case 0x3e: return low_byte(r.line_end_y);
    case 0x3f: return high_byte(r.line_end_y);
    case 0x54: return r.sprite_source_mapping;
    case 0x55: return r.draw_target_mapping;
    case 0x56: return r.map_start;
    case 0x57: return r.map_width;
    case 0x5e: return static_cast<uint8_t>((r.read_mask << 4) | r.write_mask);
    default: return state.shadow[address];
  }
}

void write_register_byte(MachineState& state, int offset, uint8_t value) {
  DrawStateRegisters& r = state.registers;
  if (offset < 0x10) {
    r.draw_palette[offset] = value;
    return;
  }
  if (offset < 0x20) {
    r.screen_palette[offset - 0x10] = value;
    if (value > 127) state.extra_palette_flicker_requested = true;
    return;
  }
  if (offset >= 0x60 && offset < 0x70) {
    r.secondary_palette[offset - 0x60] = value;
    return;
  }
  if (offset >= 0x44 && offset < 0x4c) {
    uint32_t& word = state.random_state[(offset - 0x44) / 4];
    word = with_byte_of_word(word, (offset - 0x44) % 4, value);
    return;
  }
  if (offset >= 0x4c && offset < 0x54) {
    int player = offset - 0x4c;
    state.button_bits[player] = static_cast<uint8_t>((state.button_bits[player] & 0xc0) | (value & 0x3f));
    state.buttons_written_mask = static_cast<uint8_t>(state.buttons_written_mask | (1u << player));
    return;
  }
  if (offset >= 0x40 && offset < 0x44) {
    r.audio_registers[offset - 0x40] = value;
    return;
  }
  switch (offset) {
    case 0x20: r.clip_x0 = value; update_gfx_clipping(state); break;
    case 0x21: r.clip_y0 = value; update_gfx_clipping(state); break;
    case 0x22: r.clip_x1 = value; update_gfx_clipping(state); break;
    case 0x23: r.clip_y1 = value; update_gfx_clipping(state); break;
    case 0x24: r.print_home_x = value; break;
    case 0x25: r.pen_colour = value; break;
    case 0x26: r.cursor_x = value; break;
    case 0x27: r.cursor_y = value; break;
    case 0x28: r.camera_x = with_low_byte(r.camera_x, value); break;
    case 0x29: r.camera_x = with_high_byte(r.camera_x, value); break;
    case 0x2a: r.camera_y = with_low_byte(r.camera_y, value); break;
    case 0x2b: r.camera_y = with_high_byte(r.camera_y, value); break;
    case 0x2c: r.screen_mode = value; break;
    case 0x31: r.fill_pattern = with_byte_of_word(r.fill_pattern, 0, value); break;
    case 0x32: r.fill_pattern = with_byte_of_word(r.fill_pattern, 1, value); break;
    case 0x33: r.fill_pattern = with_byte_of_word(r.fill_pattern, 2, value); break;
    case 0x34: r.colour_argument_flags = value; break;
    case 0x35: r.line_end_invalid = value; break;
    case 0x3c: r.line_end_x = with_low_byte(r.line_end_x, value); break;
    case 0x3d: r.line_end_x = with_high_byte(r.line_end_x, value); break;
    case 0x3e: r.line_end_y = with_low_byte(r.line_end_y, value); break;
    case 0x3f: r.line_end_y = with_high_byte(r.line_end_y, value); break;
    case 0x54: r.sprite_source_mapping = value; set_draw_display(state, state.current_display); break;
    case 0x55: r.draw_target_mapping = value; set_draw_display(state, state.current_display); break;
    case 0x56: r.map_start = value; update_map_mapping(state); break;
    case 0x57: r.map_width = value; update_map_mapping(state); break;
    case 0x5e:
      r.write_mask = value & 15;
      r.read_mask = value >> 4;
      break;
    default: break;  // shadow only
  }
}

}  // namespace tamori::machine
