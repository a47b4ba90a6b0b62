// The machine state: the console's 64 KB address space held region by region
// in the form each user needs, the draw-state and hardware registers as
// integers, and the shadow byte array behind them.
//
// The shell creates one MachineState at start-up and keeps it until exit
// (it is large: allocate it on the heap). Pages are referred to by pointer
// (draw_target, sprite_source), so the record is not copyable.
//
// Invariants:
// - Every region with a form of its own (pixel pages, map grid, sprite flags,
//   sound records, registers, persistent words) is the truth for its bytes;
//   the shadow holds the plain-byte regions (0x4300..0x5dff, the I/O bytes,
//   registers without a form of their own and upper memory outside video use).
// - An upper block in video use keeps its bytes in video_pages[k]; its shadow
//   bytes are stale until the block leaves video use and is packed back.
// - mem_section always matches upper_block_in_video_use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_records.h"
#include "machine/pixel_page.h"

namespace tamori::machine {

constexpr uint32_t kAddressSpaceSize = 0x10000;
constexpr uint32_t kCartridgeRomSize = 0x4300;
constexpr int kDisplayCount = 4;
constexpr int kUpperBlockCount = 4;
constexpr uint32_t kUpperBlockBase = 0x8000;
constexpr uint32_t kUpperBlockSize = 0x2000;
constexpr int kMapGridBytes = 8192;

// Region bases.
constexpr uint32_t kSpriteSheetAddress = 0x0000;
constexpr uint32_t kSharedSpriteMapAddress = 0x1000;
constexpr uint32_t kMapAddress = 0x2000;
constexpr uint32_t kSpriteFlagsAddress = 0x3000;
constexpr uint32_t kMusicAddress = 0x3100;
constexpr uint32_t kSoundEffectsAddress = 0x3200;
constexpr uint32_t kGeneralMemoryAddress = 0x4300;
constexpr uint32_t kPersistentDataAddress = 0x5e00;
constexpr uint32_t kRegistersAddress = 0x5f00;
constexpr uint32_t kIoBytesAddress = 0x5f80;
constexpr uint32_t kScreenAddress = 0x6000;

// Page-format codes of mem_section (one per 256-byte page).
constexpr uint8_t kPageSpecial = 0;        // every byte through the single-byte translation
constexpr uint8_t kPageSpriteSource = 1;   // pixels of the current sprite source
constexpr uint8_t kPageDrawTarget = 2;     // pixels of the current draw target
constexpr uint8_t kPageVideoBlock0 = 4;    // 4..7: pixels of upper video page (code - 4)
constexpr uint8_t kPageMapBytes = 8;       // map grid bytes
constexpr uint8_t kPageGeneralBytes = 9;   // plain bytes, general-purpose memory
constexpr uint8_t kPageUpperBytes = 10;    // plain bytes, upper memory

inline bool page_format_is_bytes(uint8_t code) { return (code & 8) != 0; }
inline bool page_format_is_pixels(uint8_t code) { return code == 1 || code == 2 || (code >= 4 && code <= 7); }

// Registers of 0x5f00..0x5f7f that have a form of their own. The others are
// read and written in the shadow array only.
struct DrawStateRegisters {
  uint8_t draw_palette[16] = {};       // 0x5f00: bits 0..3 colour, bit 4 transparent
  uint8_t screen_palette[16] = {};     // 0x5f10
  uint8_t clip_x0 = 0, clip_y0 = 0;    // 0x5f20..0x5f23, x1 and y1 exclusive
  uint8_t clip_x1 = 128, clip_y1 = 128;
  uint8_t print_home_x = 0;            // 0x5f24
  uint8_t pen_colour = 6;              // 0x5f25: low nibble primary, high secondary
  uint8_t cursor_x = 0, cursor_y = 0;  // 0x5f26, 0x5f27
  int16_t camera_x = 0, camera_y = 0;  // 0x5f28..0x5f2b
  uint8_t screen_mode = 0;             // 0x5f2c
  uint32_t fill_pattern = 0;           // 0x5f31..0x5f33: pattern bits 0..15, flags from bit 16
  uint8_t colour_argument_flags = 0;   // 0x5f34
  uint8_t line_end_invalid = 0;        // 0x5f35
  int16_t line_end_x = 0, line_end_y = 0;  // 0x5f3c..0x5f3f
  uint8_t audio_registers[4] = {};     // 0x5f40..0x5f43
  uint8_t sprite_source_mapping = 0x00;  // 0x5f54
  uint8_t draw_target_mapping = 0x60;    // 0x5f55
  uint8_t map_start = 0x20;              // 0x5f56
  uint8_t map_width = 0x80;              // 0x5f57
  uint8_t write_mask = 15;               // 0x5f5e low nibble
  uint8_t read_mask = 15;                // 0x5f5e high nibble
  uint8_t secondary_palette[16] = {};    // 0x5f60
};

// Where the map lies, recomputed by update_map_mapping.
struct MapGeometry {
  bool in_upper_memory = false;
  uint32_t start_address = 0x2000;  // memory address of cell (0, 0)
  int grid_start = 0;               // index of cell (0, 0) in map_grid (not in upper memory)
  int width = 128;                  // cells a row (1..256)
  int height = 64;                  // rows
};

struct MachineState {
  MachineState() = default;
  MachineState(const MachineState&) = delete;
  MachineState& operator=(const MachineState&) = delete;

  PixelPage sprite_sheet;
  PixelPage display_pages[kDisplayCount];
  PixelPage upper_video_pages[kUpperBlockCount];

  // Map grid: bytes 0..4095 are 0x2000..0x2fff, bytes 4096..8191 are
  // 0x1000..0x1fff (shared with sprite rows 64..127).
  uint8_t map_grid[kMapGridBytes] = {};
  uint8_t sprite_flags[256] = {};
  audio::MusicPattern music_patterns[audio::kMusicPatternCount];
  audio::SoundEffect sound_effects[audio::kSoundEffectCount];

  // Persistent cartridge data (0x5e00..0x5eff) as 64 little-endian words.
  uint32_t persistent_data[64] = {};
  bool persistent_data_dirty = false;

  DrawStateRegisters registers;
  // Random generator state (0x5f44..0x5f4b), used by the random functions.
  uint32_t random_state[2] = {};
  // Live buttons of players 0..7 (0x5f4c..0x5f53), bit b = button b, set by
  // the input system each frame. A program's write to these bytes changes
  // buttons 0..5 here and sets the player's bit in buttons_written_mask so
  // that the input system can take the change into its own state.
  uint8_t button_bits[8] = {};
  uint8_t buttons_written_mask = 0;

  uint8_t shadow[kAddressSpaceSize] = {};
  uint8_t mem_section[256] = {};
  bool upper_block_in_video_use[kUpperBlockCount] = {};

  int current_display = 0;
  PixelPage* draw_target = nullptr;
  PixelPage* sprite_source = nullptr;
  MapGeometry map;
  // Fraction bits of the textured line's map coordinates (`tline(bits)`),
  // 13 at each run start; 0 reads as 13.
  int32_t tline_precision = 13;

  // While the console switches between programs, writes to 0x4300..0x5eff
  // are dropped.
  bool reset_transition_in_progress = false;
  // Set when a screen-palette value above 127 is written; the display output
  // starts the extra-palette flicker and clears it.
  bool extra_palette_flicker_requested = false;
  // CPU cycles owed by side effects of writes (switching upper video blocks);
  // the memory functions add them to their own charge and clear this.
  int64_t pending_cpu_cycles = 0;

  // reload/cstore bookkeeping: frames left of the disk-activity icon, the
  // last file accessed and the distinct files cstore has written since start.
  int disk_activity_frames = 0;
  std::string last_file_accessed;
  std::vector<std::string> cstore_files_written;
};

}  // namespace tamori::machine
