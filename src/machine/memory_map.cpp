#include "machine/memory_map.h"

#include <algorithm>

#include "machine/memory.h"

namespace tamori::machine {

namespace {

constexpr int kVideoSwitchCycles = 1024;

void set_page_formats(MachineState& state, int first_page, int last_page, uint8_t code) {
  for (int page = first_page; page <= last_page; ++page) state.mem_section[page] = code;
}

void init_page_formats(MachineState& state) {
  set_page_formats(state, 0x00, 0x1f, kPageSpriteSource);
  set_page_formats(state, 0x20, 0x2f, kPageMapBytes);
  set_page_formats(state, 0x30, 0x42, kPageSpecial);
  set_page_formats(state, 0x43, 0x5d, kPageGeneralBytes);
  set_page_formats(state, 0x5e, 0x5f, kPageSpecial);
  set_page_formats(state, 0x60, 0x7f, kPageDrawTarget);
  set_page_formats(state, 0x80, 0xff, kPageUpperBytes);
}

uint8_t* upper_block_bytes(MachineState& state, int block) {
  return state.shadow + kUpperBlockBase + kUpperBlockSize * static_cast<uint32_t>(block);
}

}  // namespace

void update_mem_section_formats(MachineState& state) {
  for (int block = 0; block < kUpperBlockCount; ++block) {
    uint8_t code = state.upper_block_in_video_use[block] ? static_cast<uint8_t>(kPageVideoBlock0 + block)
                                                         : kPageUpperBytes;
    set_page_formats(state, 0x80 + 0x20 * block, 0x9f + 0x20 * block, code);
  }
}

bool map_blocks_upper_block(const MachineState& state, int block) {
  if (!state.map.in_upper_memory) return false;
  uint32_t block_end = kUpperBlockBase + kUpperBlockSize * static_cast<uint32_t>(block + 1);
  return state.map.start_address < block_end;
}

bool set_high_vidmem_mode(MachineState& state, int block, bool on) {
  if (block < 0 || block >= kUpperBlockCount) return false;
  if (state.upper_block_in_video_use[block] == on) return true;
  if (on && map_blocks_upper_block(state, block)) return false;
  PixelPage& page = state.upper_video_pages[block];
  if (on)
    pixel_page_unpack_bytes(page, 0, upper_block_bytes(state, block), kPixelPageMemoryBytes);
  else
    pixel_page_pack_bytes(page, 0, upper_block_bytes(state, block), kPixelPageMemoryBytes);
  state.upper_block_in_video_use[block] = on;
  update_mem_section_formats(state);
  state.pending_cpu_cycles += kVideoSwitchCycles;
  return true;
}

PixelPage* select_video_memory(MachineState& state, int mapping_value) {
  if (mapping_value != 0x80 && mapping_value != 0xa0 && mapping_value != 0xc0 && mapping_value != 0xe0)
    return nullptr;
  int block = (mapping_value - 0x80) / 0x20;
  if (!set_high_vidmem_mode(state, block, true)) return nullptr;
  return &state.upper_video_pages[block];
}

void update_gfx_clipping(MachineState& state) {
  const DrawStateRegisters& r = state.registers;
  set_pixel_page_clip(*state.draw_target, r.clip_x0, r.clip_y0, r.clip_x1, r.clip_y1);
}

void set_draw_display(MachineState& state, int display) {
  state.current_display = std::clamp(display, 0, kDisplayCount - 1);
  PixelPage* display_page = &state.display_pages[state.current_display];

  int target_mapping = state.registers.draw_target_mapping;
  if (target_mapping == 0x00) {
    state.draw_target = &state.sprite_sheet;
  } else {
    PixelPage* video = select_video_memory(state, target_mapping);
    state.draw_target = video ? video : display_page;
  }

  int source_mapping = state.registers.sprite_source_mapping;
  if (source_mapping == 0x60) {
    state.sprite_source = display_page;
  } else {
    PixelPage* video = select_video_memory(state, source_mapping);
    state.sprite_source = video ? video : &state.sprite_sheet;
  }
  update_gfx_clipping(state);
}

void update_map_mapping(MachineState& state) {
  MapGeometry& map = state.map;
  int start = state.registers.map_start;
  map.width = state.registers.map_width == 0 ? 256 : state.registers.map_width;
  if (start >= 0x80) {
    map.in_upper_memory = true;
    map.start_address = static_cast<uint32_t>(start) << 8;
    map.grid_start = 0;
    map.height = static_cast<int>(kAddressSpaceSize - map.start_address) / map.width;
  } else if ((start >= 0x10 && start <= 0x1f) || (start >= 0x30 && start <= 0x3f)) {
    map.in_upper_memory = false;
    map.start_address = kSharedSpriteMapAddress + 256u * static_cast<uint32_t>(start & 15);
    map.grid_start = 4096 + 256 * (start & 15);
    map.height = (4096 - 256 * (start & 15)) / map.width;
  } else {
    if (start < 0x20 || start > 0x2f) start = 0x20;
    map.in_upper_memory = false;
    map.start_address = static_cast<uint32_t>(start) << 8;
    map.grid_start = 256 * (start - 0x20);
    map.height = (kMapGridBytes - map.grid_start) / map.width;
  }
  for (int block = 0; block < kUpperBlockCount; ++block)
    if (state.upper_block_in_video_use[block] && map_blocks_upper_block(state, block))
      set_high_vidmem_mode(state, block, false);
  set_draw_display(state, state.current_display);
}

void init_machine_state(MachineState& state) {
  state.sprite_sheet = PixelPage{};
  for (PixelPage& page : state.display_pages) page = PixelPage{};
  for (PixelPage& page : state.upper_video_pages) page = PixelPage{};
  std::fill(std::begin(state.map_grid), std::end(state.map_grid), 0);
  std::fill(std::begin(state.sprite_flags), std::end(state.sprite_flags), 0);
  for (int i = 0; i < audio::kMusicPatternCount; ++i) state.music_patterns[i] = audio::default_music_pattern();
  for (int i = 0; i < audio::kSoundEffectCount; ++i) state.sound_effects[i] = audio::default_sound_effect(i);
  std::fill(std::begin(state.persistent_data), std::end(state.persistent_data), 0);
  state.persistent_data_dirty = false;
  state.registers = DrawStateRegisters{};
  state.random_state[0] = state.random_state[1] = 0;
  std::fill(std::begin(state.button_bits), std::end(state.button_bits), 0);
  state.buttons_written_mask = 0;
  std::fill(std::begin(state.shadow), std::end(state.shadow), 0);
  std::fill(std::begin(state.upper_block_in_video_use), std::end(state.upper_block_in_video_use), false);
  init_page_formats(state);
  state.current_display = 0;
  state.draw_target = &state.display_pages[0];
  state.sprite_source = &state.sprite_sheet;
  state.reset_transition_in_progress = false;
  state.extra_palette_flicker_requested = false;
  state.disk_activity_frames = 0;
  state.last_file_accessed.clear();
  state.cstore_files_written.clear();
  update_map_mapping(state);
  reset_memory_for_run(state);
  state.pending_cpu_cycles = 0;
}

}  // namespace tamori::machine
