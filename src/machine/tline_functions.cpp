#include "machine/tline_functions.h"

#include <algorithm>

#include "machine/line_rasteriser.h"
#include "machine/map_functions.h"
#include "machine/memory.h"
#include "machine/pixel_writer.h"
#include "machine/sprite_painter.h"

namespace tamori::machine {

namespace {

constexpr int32_t kDefaultPrecision = 13;
constexpr uint8_t kDrawCellZeroFlag = 0x08;  // in 0x5f36

int32_t effective_precision(const MachineState& state) {
  return state.tline_precision == 0 ? kDefaultPrecision : state.tline_precision;
}

// Arithmetic shift of a map coordinate; shifts are kept within 0..31.
int32_t shift_down(uint32_t raw, int32_t bits) {
  return static_cast<int32_t>(raw) >> std::clamp(bits, 0, 31);
}

}  // namespace

int32_t tline_precision(MachineState& state, std::optional<int32_t> bits) {
  int32_t previous = effective_precision(state);
  if (bits) state.tline_precision = *bits;
  return previous;
}

int64_t tline(MachineState& state, const TlineArguments& arguments) {
  const DrawStateRegisters& registers = state.registers;
  int32_t x0 = arguments.x0 - registers.camera_x, y0 = arguments.y0 - registers.camera_y;
  int32_t x1 = arguments.x1 - registers.camera_x, y1 = arguments.y1 - registers.camera_y;
  SlopedLineSteps line = clip_sloped_line(*state.draw_target, x0, y0, x1, y1);
  if (line.first > line.last) return 0;

  // Texture coordinates wrap as 32-bit values.
  uint32_t step_x = static_cast<uint32_t>(arguments.map_dx.value_or(0x2000));
  uint32_t step_y = static_cast<uint32_t>(arguments.map_dy.value_or(0));
  uint32_t map_x = static_cast<uint32_t>(arguments.map_x);
  uint32_t map_y = static_cast<uint32_t>(arguments.map_y);
  if (line.reversed) {
    // Start at the far end and walk back, so the texture lies on the line
    // the same way whichever end comes first.
    map_x += static_cast<uint32_t>(line.steps) * step_x;
    map_y += static_cast<uint32_t>(line.steps) * step_y;
    step_x = 0u - step_x;
    step_y = 0u - step_y;
  }
  map_x += static_cast<uint32_t>(line.first) * step_x;
  map_y += static_cast<uint32_t>(line.first) * step_y;

  int32_t precision = effective_precision(state);
  uint32_t wrap_x = (read_memory_byte(state, 0x5f38) - 1u) & 0xff;
  uint32_t wrap_y = (read_memory_byte(state, 0x5f39) - 1u) & 0xff;
  int32_t offset_x = read_memory_byte(state, 0x5f3a);
  int32_t offset_y = read_memory_byte(state, 0x5f3b);
  bool draw_zero = read_memory_byte(state, 0x5f36) & kDrawCellZeroFlag;
  SpritePainter painter = make_sprite_painter(state);
  const uint8_t* source = state.sprite_source->pixels;

  for (int64_t k = line.first; k <= line.last; ++k, map_x += step_x, map_y += step_y) {
    int32_t column = offset_x + static_cast<int32_t>(static_cast<uint32_t>(shift_down(map_x, precision + 3)) & wrap_x);
    int32_t row = offset_y + static_cast<int32_t>(static_cast<uint32_t>(shift_down(map_y, precision + 3)) & wrap_y);
    int32_t v = mget(state, column, row);
    if (v == 0 && !draw_zero) continue;
    if (arguments.layers != 0 && (state.sprite_flags[v] & arguments.layers) == 0) continue;
    int32_t texel_x = (v % 16) * 8 + (shift_down(map_x, precision) & 7);
    int32_t texel_y = (v / 16) * 8 + (shift_down(map_y, precision) & 7);
    uint8_t colour = source[texel_y * kPixelPageSize + texel_x] & 15;
    auto x = static_cast<int32_t>((line.start_x + k * line.step_x) >> 16);
    auto y = static_cast<int32_t>((line.start_y + k * line.step_y) >> 16);
    paint_resolved_pixel(painter, x, y, painter.draw_palette[colour] & 0x1f, colour);
  }
  int64_t steps = line.last - line.first + 1;
  finish_drawing_rows(state, 0, std::min(y0, y1), std::max(y0, y1));
  return 2 * steps;
}

}  // namespace tamori::machine
