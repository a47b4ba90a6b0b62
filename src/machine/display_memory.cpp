#include "machine/display_memory.h"

#include <algorithm>
#include <cstring>

#include "machine/memory.h"
#include "machine/memory_map.h"

namespace tamori::machine {

DisplayRegisters display_registers_from_memory(const MachineState& state) {
  DisplayRegisters registers;
  for (int i = 0; i < 16; i++) {
    registers.screen_palette[size_t(i)] = read_memory_byte(state, 0x5f10 + uint32_t(i));
    registers.secondary_palette[size_t(i)] = read_memory_byte(state, 0x5f60 + uint32_t(i));
    registers.row_bits[size_t(i)] = read_memory_byte(state, 0x5f70 + uint32_t(i));
  }
  registers.screen_mode = read_memory_byte(state, 0x5f2c);
  registers.scanline_mode = read_memory_byte(state, 0x5f5f);
  return registers;
}

bool compose_program_picture(const MachineState& state, int display, Picture& output) {
  const bool sprite_sheet_is_screen = read_memory_byte(state, 0x5f55) == 0;
  const int n = std::clamp(display, 0, kDisplayCount - 1);
  const PixelPage& page = sprite_sheet_is_screen ? state.sprite_sheet : state.display_pages[n];
  return compose_output_image(page.pixels, display_registers_from_memory(state), true, output);
}

int display_count(const BackPage& page, bool tv_frame) {
  if (tv_frame) return 1;
  return std::clamp((page.width / kScreenSide) * (page.height / kScreenSide), 1, 4);
}

bool compose_extra_displays(MachineState& state, BackPage& page, bool tv_frame) {
  const int count = display_count(page, tv_frame);
  const bool multiple = !tv_frame && (read_memory_byte(state, 0x5f36) & 0x01) != 0;
  if (!multiple) {
    set_draw_display(state, 0);
    for (int j = 1; j < count && j < kDisplayCount; j++) std::memset(state.display_pages[j].pixels, 0, kPixelPageBytes);
    return false;
  }
  const int cells_across = std::max(1, page.width / kScreenSide);
  bool scanline_mode_used = false;
  for (int j = 1; j < kDisplayCount; j++) {
    const int cell_x = (j % cells_across) * kScreenSide, cell_y = (j / cells_across) * kScreenSide;
    if (cell_y + kScreenSide > page.height || cell_x + kScreenSide > page.width) continue;
    Picture picture;
    scanline_mode_used |= compose_program_picture(state, j, picture);
    back_page_put(page, picture, cell_x, cell_y);
  }
  return scanline_mode_used;
}

}  // namespace tamori::machine
