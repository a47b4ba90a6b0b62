#include "shell/scancode_viewer.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "host/clock.h"
#include "host/config.h"
#include "host/console_data.h"
#include "host/scancode_names.h"

namespace tamori::shell {
namespace {

constexpr int kLineHeight = 6;
constexpr int kGridLeft = 520, kGridTop = 8;
constexpr int kCellWidth = 16, kCellHeight = 7;
constexpr uint8_t kTextColour = 6, kCellColour = 5, kHeldColour = 8, kHeldTextColour = 7;
// The oldest pressed lines give way when the text would leave the window.
constexpr size_t kMaxTextLines = kViewerHeight / kLineHeight - 1;

bool named(int scancode) { return host::scancode_name(scancode).rfind("key ", 0) != 0; }

uint32_t palette_argb(const host::ConsoleData& data, uint8_t colour) {
  const auto& rgb = data.palette[colour];
  return 0xff000000u | uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
}

}  // namespace

std::vector<std::string> scancode_key_listing() {
  std::vector<std::string> lines;
  std::string line;
  int on_line = 0;
  for (int code = 0; code < host::kScancodeCount; code++) {
    if (!named(code)) continue;
    char cell[64];
    std::snprintf(cell, sizeof cell, "%20s:%03d", host::scancode_name(code).c_str(), code);
    line += cell;
    if (++on_line == 4) {
      lines.push_back(line);
      line.clear();
      on_line = 0;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::vector<std::string> scancode_help_box() {
  return {
      "+----------------------------------------------------+",
      "| press a key to see its scancode.                   |",
      "| to make key a act as key b, add to config.txt:     |",
      "|   map_scancodes a=b                                |",
      "| more pairs are separated by commas: 4=20,20=4      |",
      "| swaps the a and q keys. close the window to exit.  |",
      "+----------------------------------------------------+",
  };
}

std::string pressed_scancode_line(int scancode) {
  char line[96];
  std::snprintf(line, sizeof line, "pressed scancode:%4d    name:%16s", scancode, host::scancode_name(scancode).c_str());
  return line;
}

void scancode_cell_position(int code, int* x, int* y) {
  *x = kGridLeft + (code / kViewerGridRows) * kCellWidth;
  *y = kGridTop + (code % kViewerGridRows) * kCellHeight;
}

std::vector<std::string> update_scancode_viewer(ScancodeViewer& viewer, const host::KeyStates& keys,
                                                const machine::Font& font) {
  std::vector<std::string> pressed;
  for (int code = 1; code < host::kScancodeCount; code++)
    if (host::key_pressed(keys, code)) pressed.push_back(pressed_scancode_line(code));
  viewer.text.insert(viewer.text.end(), pressed.begin(), pressed.end());
  if (viewer.text.size() > kMaxTextLines)
    viewer.text.erase(viewer.text.begin(), viewer.text.end() - std::ptrdiff_t(kMaxTextLines));

  std::fill(viewer.pixels.begin(), viewer.pixels.end(), uint8_t(0));
  machine::Canvas canvas{viewer.pixels.data(), kViewerWidth, kViewerHeight};
  for (size_t line = 0; line < viewer.text.size(); line++)
    machine::draw_interface_text(canvas, font, viewer.text[line], 4, 4 + int(line) * kLineHeight, kTextColour);
  for (int code = 0; code < kViewerGridColumns * kViewerGridRows; code++) {
    int x = 0, y = 0;
    scancode_cell_position(code, &x, &y);
    const bool held = code < host::kScancodeCount && host::key_down(keys, code);
    if (held) machine::canvas_fill_rect(canvas, x - 1, y - 1, x + 12, y + 5, kHeldColour);
    char label[8];
    std::snprintf(label, sizeof label, "%03d", code);
    machine::draw_interface_text(canvas, font, label, x, y, held ? kHeldTextColour : kCellColour);
  }
  return pressed;
}

int run_scancode_viewer(const host::Platform& platform, const std::string& program_folder) {
  ScancodeViewer viewer;
  viewer.text = scancode_key_listing();
  for (const std::string& line : scancode_help_box()) viewer.text.push_back(line);
  for (const std::string& line : viewer.text) std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  std::optional<host::ConsoleData> data = host::load_console_data(program_folder + "data.pod");
  if (!platform.open_window || !data) return 0;
  host::WindowRequest request;
  request.window_width = kViewerWidth;
  request.window_height = kViewerHeight;
  request.title = "tamori scancodes";
  if (!platform.open_window(platform.context, request)) return 0;
  host::KeyStates keys;
  std::vector<uint32_t> argb(viewer.pixels.size());
  for (;;) {
    host::HostEvents events;
    platform.pump_events(platform.context, keys, events);
    host::keys_update(keys, host::ruvo_get_time_ms());
    if (events.quit_requested) break;
    for (const std::string& line : update_scancode_viewer(viewer, keys, data->font)) std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    for (size_t i = 0; i < argb.size(); i++) argb[i] = palette_argb(*data, viewer.pixels[i]);
    host::PresentedFrame frame;
    frame.argb = argb.data();
    frame.width = kViewerWidth;
    frame.height = kViewerHeight;
    if (platform.present) platform.present(platform.context, frame);
    host::ruvo_sleep_ms(16);
  }
  if (platform.close_window) platform.close_window(platform.context);
  return 0;
}

}  // namespace tamori::shell
