#include "machine/draw_state_functions.h"

#include <algorithm>
#include <cstring>

#include "machine/memory.h"
#include "machine/pixel_writer.h"

namespace tamori::machine {

namespace {

constexpr int64_t kClsCycles = 1024;
constexpr int64_t kResetCycles = 16;
constexpr uint8_t kDefaultPenColour = 6;
constexpr uint8_t kOutOfRangeReadsFlag = 0x10;  // in 0x5f36
constexpr uint32_t kOutOfRangePixelAddress = 0x5f5b;

void write_register16(MachineState& state, uint32_t address, int32_t value) {
  write_memory_byte(state, address, static_cast<uint32_t>(value) & 0xff);
  write_memory_byte(state, address + 1, (static_cast<uint32_t>(value) >> 8) & 0xff);
}

void write_clip_registers(MachineState& state, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const int32_t edges[4] = {x0, y0, x1, y1};
  for (uint32_t i = 0; i < 4; ++i)
    write_memory_byte(state, 0x5f20 + i, static_cast<uint32_t>(std::clamp(edges[i], 0, kPixelPageSize)));
}

}  // namespace

void pset(MachineState& state, int32_t x, int32_t y, NumberArgument colour) {
  PixelWriter writer = make_pixel_writer(state, decode_colour_argument(state, colour));
  int32_t row = y - state.registers.camera_y;
  write_pixel(writer, x - state.registers.camera_x, row);
  finish_drawing_rows(state, 0, row, row);
}

int32_t pget(const MachineState& state, std::optional<int32_t> x, std::optional<int32_t> y) {
  if (!x || !y) return 0;
  int32_t px = *x - state.registers.camera_x;
  int32_t py = *y - state.registers.camera_y;
  bool on_screen = px >= 0 && px < kPixelPageSize && py >= 0 && py < kPixelPageSize;
  if (!on_screen && (read_memory_byte(state, 0x5f36) & kOutOfRangeReadsFlag))
    return read_memory_byte(state, kOutOfRangePixelAddress);
  const PixelPage& page = *state.draw_target;
  if (px < page.clip_x0 || px >= page.clip_x1 || py < page.clip_y0 || py >= page.clip_y1) return 0;
  return page.pixels[py * kPixelPageSize + px] & 15;
}

int32_t color(MachineState& state, NumberArgument colour) {
  int32_t previous = state.registers.pen_colour;
  if (colour)
    decode_colour_argument(state, colour);
  else
    write_memory_byte(state, 0x5f25, kDefaultPenColour);
  return previous;
}

CursorResult cursor(MachineState& state, int32_t x, int32_t y, NumberArgument colour) {
  const DrawStateRegisters& registers = state.registers;
  CursorResult result{registers.cursor_x, registers.cursor_y, registers.pen_colour};
  uint32_t x16 = static_cast<uint32_t>(x) & 0xffff;
  write_memory_byte(state, 0x5f26, x16);
  write_memory_byte(state, 0x5f24, x16);
  write_memory_byte(state, 0x5f27, static_cast<uint32_t>(y));
  if (colour) decode_colour_argument(state, colour);
  return result;
}

CameraResult camera(MachineState& state, int32_t x, int32_t y) {
  CameraResult result{state.registers.camera_x, state.registers.camera_y};
  write_register16(state, 0x5f28, x);
  write_register16(state, 0x5f2a, y);
  return result;
}

ClipResult clip(MachineState& state, std::optional<ClipArguments> arguments) {
  const DrawStateRegisters& registers = state.registers;
  int32_t x0 = registers.clip_x0, y0 = registers.clip_y0, x1 = registers.clip_x1, y1 = registers.clip_y1;
  ClipResult result{x0, y0, x1 - x0, y1 - y0};
  if (!arguments) {
    write_clip_registers(state, 0, 0, kPixelPageSize, kPixelPageSize);
    return result;
  }
  int32_t x = static_cast<int16_t>(arguments->x);
  int32_t y = static_cast<int16_t>(arguments->y);
  int32_t new_x0 = x, new_y0 = y;
  int32_t new_x1 = x + static_cast<int16_t>(arguments->w);
  int32_t new_y1 = y + static_cast<int16_t>(arguments->h);
  if (arguments->clip_previous) {
    // Clamp (rather than std::clamp) because the current rectangle may be
    // empty with its edges crossed.
    auto inside = [](int32_t value, int32_t low, int32_t high) { return std::min(std::max(value, low), high); };
    new_x0 = inside(new_x0, x0, x1);
    new_x1 = inside(new_x1, x0, x1);
    new_y0 = inside(new_y0, y0, y1);
    new_y1 = inside(new_y1, y0, y1);
  }
  write_clip_registers(state, new_x0, new_y0, new_x1, new_y1);
  return result;
}

int64_t cls(MachineState& state, NumberArgument colour) {
  uint8_t fill = colour ? static_cast<uint8_t>((static_cast<uint32_t>(*colour) >> 16) & 15) : 0;
  write_memory_byte(state, 0x5f24, 0);
  write_memory_byte(state, 0x5f26, 0);
  write_memory_byte(state, 0x5f27, 0);
  write_clip_registers(state, 0, 0, kPixelPageSize, kPixelPageSize);
  std::memset(state.draw_target->pixels, fill, sizeof state.draw_target->pixels);
  return finish_drawing(state, kClsCycles);
}

int32_t fillp(MachineState& state, NumberArgument pattern) {
  uint32_t previous = state.registers.fill_pattern;
  uint32_t previous_bits = (previous & 0xffff) << 16;
  if (previous & kFillPatternTransparent) previous_bits |= 0x8000;
  if (previous & kFillPatternForSprites) previous_bits |= 0x4000;

  uint32_t bits = pattern ? static_cast<uint32_t>(*pattern) : 0;
  uint32_t updated = bits >> 16;
  if (bits & 0x8000) updated |= kFillPatternTransparent;
  if (bits & 0x4000) updated |= kFillPatternForSprites;
  if (bits & 0x2000) updated |= kFillPatternSecondaryPalette;
  for (uint32_t i = 0; i < 3; ++i) write_memory_byte(state, 0x5f31 + i, updated >> (8 * i));
  return static_cast<int32_t>(previous_bits);
}

int64_t reset(MachineState& state) {
  reset_memory_for_run(state);
  return kResetCycles;
}

}  // namespace tamori::machine
