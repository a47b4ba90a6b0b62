#include "machine/memory.h"

#include <algorithm>

#include "machine/memory_map.h"
#include "machine/memory_registers.h"

namespace tamori::machine {

const uint8_t kDefaultSecondaryPalette[16] = {0x00, 0x01, 0x12, 0x13, 0x24, 0x15, 0xd6, 0x67,
                                              0x48, 0x49, 0x9a, 0x3b, 0xdc, 0x5d, 0x8e, 0xef};

namespace {

int upper_block_of(uint32_t address) { return static_cast<int>((address - kUpperBlockBase) / kUpperBlockSize); }

int upper_block_offset(uint32_t address) { return static_cast<int>((address - kUpperBlockBase) % kUpperBlockSize); }

uint8_t read_persistent_byte(const MachineState& state, uint32_t offset) {
  return static_cast<uint8_t>(state.persistent_data[offset / 4] >> (8 * (offset % 4)));
}

void write_persistent_byte(MachineState& state, uint32_t offset, uint8_t value) {
  uint32_t& word = state.persistent_data[offset / 4];
  uint32_t shift = 8 * (offset % 4);
  uint32_t updated = (word & ~(0xffu << shift)) | (static_cast<uint32_t>(value) << shift);
  if (updated != word) {
    word = updated;
    state.persistent_data_dirty = true;
  }
}

}  // namespace

uint8_t read_memory_byte(const MachineState& state, uint32_t address) {
  address &= 0xffff;
  if (address < kMapAddress) return pixel_page_read_byte(*state.sprite_source, static_cast<int>(address));
  if (address < kSpriteFlagsAddress) return state.map_grid[address - kMapAddress];
  if (address < kMusicAddress) return state.sprite_flags[address - kSpriteFlagsAddress];
  if (address < kSoundEffectsAddress) {
    uint32_t offset = address - kMusicAddress;
    return audio::read_music_pattern_byte(state.music_patterns[offset / 4], static_cast<int>(offset % 4));
  }
  if (address < kGeneralMemoryAddress) {
    uint32_t offset = address - kSoundEffectsAddress;
    return audio::read_sound_effect_byte(state.sound_effects[offset / audio::kSoundEffectByteSize],
                                         static_cast<int>(offset % audio::kSoundEffectByteSize));
  }
  if (address < kPersistentDataAddress) return state.shadow[address];
  if (address < kRegistersAddress) return read_persistent_byte(state, address - kPersistentDataAddress);
  if (address < kIoBytesAddress) return read_register_byte(state, static_cast<int>(address - kRegistersAddress));
  if (address < kScreenAddress) return state.shadow[address];
  if (address < kUpperBlockBase) return pixel_page_read_byte(*state.draw_target, static_cast<int>(address - kScreenAddress));
  int block = upper_block_of(address);
  if (state.upper_block_in_video_use[block])
    return pixel_page_read_byte(state.upper_video_pages[block], upper_block_offset(address));
  return state.shadow[address];
}

void write_memory_byte(MachineState& state, uint32_t address, uint32_t value) {
  address &= 0xffff;
  uint8_t byte = static_cast<uint8_t>(value);
  if (state.reset_transition_in_progress && address >= kGeneralMemoryAddress && address < kRegistersAddress)
    return;
  state.shadow[address] = byte;
  if (address < kSharedSpriteMapAddress) {
    pixel_page_write_byte(*state.sprite_source, static_cast<int>(address), byte);
  } else if (address < kMapAddress) {
    pixel_page_write_byte(*state.sprite_source, static_cast<int>(address), byte);
    state.map_grid[4096 + (address - kSharedSpriteMapAddress)] = byte;
  } else if (address < kSpriteFlagsAddress) {
    state.map_grid[address - kMapAddress] = byte;
  } else if (address < kMusicAddress) {
    state.sprite_flags[address - kSpriteFlagsAddress] = byte;
  } else if (address < kSoundEffectsAddress) {
    uint32_t offset = address - kMusicAddress;
    audio::write_music_pattern_byte(state.music_patterns[offset / 4], static_cast<int>(offset % 4), byte);
  } else if (address < kGeneralMemoryAddress) {
    uint32_t offset = address - kSoundEffectsAddress;
    audio::write_sound_effect_byte(state.sound_effects[offset / audio::kSoundEffectByteSize],
                                   static_cast<int>(offset % audio::kSoundEffectByteSize), byte);
  } else if (address < kPersistentDataAddress) {
    // plain bytes: the shadow is their storage
  } else if (address < kRegistersAddress) {
    write_persistent_byte(state, address - kPersistentDataAddress, byte);
  } else if (address < kIoBytesAddress) {
    write_register_byte(state, static_cast<int>(address - kRegistersAddress), byte);
  } else if (address < kScreenAddress) {
    // I/O bytes live in the shadow
  } else if (address < kUpperBlockBase) {
    pixel_page_write_byte(*state.draw_target, static_cast<int>(address - kScreenAddress), byte);
  } else {
    int block = upper_block_of(address);
    if (state.upper_block_in_video_use[block])
      pixel_page_write_byte(state.upper_video_pages[block], upper_block_offset(address), byte);
  }
}

uint8_t read_rom_image_byte(const uint8_t* rom_image, uint32_t address) {
  address &= 0xffff;
  return address < kCartridgeRomSize ? rom_image[address] : 0;
}

void write_rom_image_byte(uint8_t* rom_image, uint32_t address, uint32_t value) {
  address &= 0xffff;
  if (address < kCartridgeRomSize) rom_image[address] = static_cast<uint8_t>(value);
}

void load_rom_image_into_memory(MachineState& state, const uint8_t* rom_image) {
  for (uint32_t address = 0; address < kCartridgeRomSize; ++address)
    write_memory_byte(state, address, rom_image[address]);
}

void copy_memory_to_rom_image(const MachineState& state, uint8_t* rom_image) {
  for (uint32_t address = 0; address < kCartridgeRomSize; ++address)
    rom_image[address] = read_memory_byte(state, address);
}

int32_t map_cell_address(const MachineState& state, int x, int y) {
  const MapGeometry& map = state.map;
  if (x < 0 || y < 0 || x >= map.width || y >= map.height) return -1;
  int offset = x + y * map.width;
  if (map.in_upper_memory) return static_cast<int32_t>(map.start_address) + offset;
  int index = map.grid_start + offset;
  if (index >= kMapGridBytes) return -1;
  return index < 4096 ? static_cast<int32_t>(kMapAddress) + index
                      : static_cast<int32_t>(kSharedSpriteMapAddress) + (index - 4096);
}

uint8_t read_map_cell(const MachineState& state, int x, int y) {
  int32_t address = map_cell_address(state, x, y);
  if (address < 0) return 0;
  if (state.map.in_upper_memory) return read_memory_byte(state, static_cast<uint32_t>(address));
  return state.map_grid[state.map.grid_start + x + y * state.map.width];
}

void write_map_cell(MachineState& state, int x, int y, uint8_t value) {
  int32_t address = map_cell_address(state, x, y);
  if (address >= 0) write_memory_byte(state, static_cast<uint32_t>(address), value);
}

namespace {

void write_register(MachineState& state, uint32_t address, uint32_t value) { write_memory_byte(state, address, value); }

void write_register16(MachineState& state, uint32_t address, int value) {
  write_memory_byte(state, address, static_cast<uint32_t>(value) & 0xff);
  write_memory_byte(state, address + 1, (static_cast<uint32_t>(value) >> 8) & 0xff);
}

void reset_draw_palette(MachineState& state) {
  for (uint32_t c = 0; c < 16; ++c) write_register(state, 0x5f00 + c, c == 0 ? 0x10 : c);
}

void reset_screen_palette(MachineState& state) {
  for (uint32_t c = 0; c < 16; ++c) write_register(state, 0x5f10 + c, c);
}

void reset_secondary_palette(MachineState& state) {
  for (uint32_t c = 0; c < 16; ++c) write_register(state, 0x5f60 + c, kDefaultSecondaryPalette[c]);
}

void reset_clip(MachineState& state) {
  write_register(state, 0x5f20, 0);
  write_register(state, 0x5f21, 0);
  write_register(state, 0x5f22, 128);
  write_register(state, 0x5f23, 128);
}

void reset_fill_pattern(MachineState& state) {
  write_register(state, 0x5f31, 0);
  write_register(state, 0x5f32, 0);
  write_register(state, 0x5f33, 0);
}

}  // namespace

void reset_memory_for_run(MachineState& state) {
  uint32_t saved_random[2] = {state.random_state[0], state.random_state[1]};
  uint8_t saved_cursor_x = state.registers.cursor_x;
  uint8_t saved_cursor_y = state.registers.cursor_y;
  uint8_t saved_5f37 = state.shadow[0x5f37];
  // Clearing 0x5f4c..0x5f53 must not release buttons held right now.
  uint8_t saved_buttons[8];
  std::copy(std::begin(state.button_bits), std::end(state.button_bits), saved_buttons);
  uint8_t saved_written_mask = state.buttons_written_mask;

  for (uint32_t address = 0x5f00; address < 0x5f80; ++address) write_memory_byte(state, address, 0);
  write_register(state, 0x5f54, 0x00);
  write_register(state, 0x5f55, 0x60);
  write_register(state, 0x5f56, 0x20);
  write_register(state, 0x5f57, 0x80);
  for (int block = 0; block < kUpperBlockCount; ++block) set_high_vidmem_mode(state, block, false);
  update_mem_section_formats(state);

  state.random_state[0] = saved_random[0];
  state.random_state[1] = saved_random[1];
  for (int i = 0; i < 8; ++i) state.shadow[0x5f44 + i] = static_cast<uint8_t>(saved_random[i / 4] >> (8 * (i % 4)));
  write_register(state, 0x5f26, saved_cursor_x);
  write_register(state, 0x5f27, saved_cursor_y);
  write_register(state, 0x5f37, saved_5f37);
  std::copy(std::begin(saved_buttons), std::end(saved_buttons), state.button_bits);
  for (int i = 0; i < 8; ++i) state.shadow[0x5f4c + i] = saved_buttons[i];
  state.buttons_written_mask = saved_written_mask;

  state.tline_precision = 13;
  write_register(state, 0x5f24, 0);
  write_register(state, 0x5f25, 6);
  write_register(state, 0x5f5e, 0xff);
  write_register16(state, 0x5f3c, 0);
  write_register16(state, 0x5f3e, 0);
  write_register16(state, 0x5f28, 0);
  write_register16(state, 0x5f2a, 0);
  write_register(state, 0x5f2c, 0);
  reset_draw_palette(state);
  reset_screen_palette(state);
  reset_secondary_palette(state);
  reset_clip(state);
  reset_fill_pattern(state);
}

void reset_memory_on_stop(MachineState& state, bool cartridge_program) {
  const uint8_t keep = cartridge_program ? state.shadow[0x5f2e] : 0xff;
  if (!(keep & 0x01)) reset_screen_palette(state);
  if (!(keep & 0x02)) write_register(state, 0x5f5f, 0);
  if (!(keep & 0x04))
    for (uint32_t address = 0x5f40; address < 0x5f44; ++address) write_register(state, address, 0);
  if (!(keep & 0x08)) write_register(state, 0x5f5e, 0xff);
  if (!(keep & 0x10)) {
    write_register(state, 0x5f58, 0);
    if (!(state.shadow[0x5f36] & 0x10))
      for (uint32_t address = 0x5f59; address < 0x5f5c; ++address) write_register(state, address, 0);
  }
  if (!(keep & 0x20)) reset_fill_pattern(state);
  if (!(keep & 0x40)) write_register(state, 0x5f25, 6);
  if (!(keep & 0x80)) {
    write_register(state, 0x5f54, 0x00);
    write_register(state, 0x5f55, 0x60);
  }
  write_register16(state, 0x5f28, 0);
  write_register16(state, 0x5f2a, 0);
  set_draw_display(state, 0);
  reset_clip(state);
  write_register(state, 0x5f24, 0);
  write_register(state, 0x5f26, 0);
  write_register(state, 0x5f27, std::min<uint32_t>(state.registers.cursor_y, 122));
}

}  // namespace tamori::machine
