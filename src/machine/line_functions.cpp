#include "machine/line_functions.h"

#include <algorithm>

#include "machine/line_rasteriser.h"
#include "machine/memory.h"
#include "machine/pixel_writer.h"

namespace tamori::machine {

namespace {

void write_register16(MachineState& state, uint32_t address, int32_t value) {
  write_memory_byte(state, address, static_cast<uint32_t>(value) & 0xff);
  write_memory_byte(state, address + 1, (static_cast<uint32_t>(value) >> 8) & 0xff);
}

void store_line_end(MachineState& state, int32_t x, int32_t y) {
  write_register16(state, 0x5f3c, x);
  write_register16(state, 0x5f3e, y);
  write_memory_byte(state, 0x5f35, 0);
}

int64_t draw_camera_line(MachineState& state, const DrawColour& colour, int32_t x0, int32_t y0, int32_t x1,
                         int32_t y1) {
  const DrawStateRegisters& registers = state.registers;
  PixelWriter writer = make_pixel_writer(state, colour);
  int32_t top = std::min(y0, y1) - registers.camera_y;
  int32_t bottom = std::max(y0, y1) - registers.camera_y;
  LineWork line = draw_line(writer, x0 - registers.camera_x, y0 - registers.camera_y, x1 - registers.camera_x,
                            y1 - registers.camera_y);
  return finish_drawing_rows(state, line.sloped ? line.work / 2 : line.work / 16, top, bottom);
}

}  // namespace

int64_t line_break(MachineState& state, NumberArgument colour) {
  if (colour) decode_colour_argument(state, colour);
  write_memory_byte(state, 0x5f35, 1);
  return 0;
}

int64_t line_to(MachineState& state, int32_t x1, int32_t y1, NumberArgument colour) {
  DrawColour decoded = decode_colour_argument(state, colour);
  if (state.registers.line_end_invalid) {
    store_line_end(state, x1, y1);
    return 0;
  }
  int32_t end_x = state.registers.line_end_x;
  int32_t end_y = state.registers.line_end_y;
  store_line_end(state, x1, y1);
  return draw_camera_line(state, decoded, x1, y1, end_x, end_y);
}

int64_t line_between(MachineState& state, int32_t x0, int32_t y0, int32_t x1, int32_t y1, NumberArgument colour) {
  DrawColour decoded = decode_colour_argument(state, colour);
  store_line_end(state, x1, y1);
  return draw_camera_line(state, decoded, x0, y0, x1, y1);
}

}  // namespace tamori::machine
