#include "shell/dropped_files.h"

#include <lodepng.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "cart/cartridge_loader.h"
#include "cart/text_reader.h"
#include "host/clock.h"
#include "input/dropped_data.h"
#include "machine/display.h"
#include "machine/memory.h"
#include "shell/cartridge_runner.h"
#include "shell/message_bar.h"

namespace tamori::shell {
namespace {

// No cartridge file in any format is larger than the largest text one.
constexpr std::uintmax_t kMaxCartridgeFileBytes = cart::kMaxTextCartridgeFileSize;
constexpr uint32_t kScreenPaletteAddress = 0x5f10;

void show(Console& console, const std::string& text) {
  show_message(console.app.message, text, kDroppedMessageMs, host::ruvo_get_time_ms());
}

// At most `limit` bytes from the start of the file; nothing when it cannot
// be read.
std::optional<std::vector<uint8_t>> read_start(const std::string& path, std::size_t limit) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<uint8_t> bytes(limit);
  file.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(limit));
  bytes.resize(std::size_t(file.gcount()));
  return bytes;
}

enum class PictureOutcome { posted, too_large, unreadable };

// The header alone decides the size, so a picture that claims huge
// dimensions is never decoded.
PictureOutcome post_picture(Console& console, const std::string& path, std::uintmax_t file_size) {
  if (file_size > kMaxCartridgeFileBytes) return PictureOutcome::too_large;
  std::optional<std::vector<uint8_t>> file = read_start(path, std::size_t(file_size));
  if (!file) return PictureOutcome::unreadable;
  unsigned width = 0, height = 0;
  lodepng::State state;
  if (lodepng_inspect(&width, &height, &state, file->data(), file->size()) != 0) return PictureOutcome::unreadable;
  if (width > unsigned(kMaxDroppedPictureSide) || height > unsigned(kMaxDroppedPictureSide))
    return PictureOutcome::too_large;
  std::vector<uint8_t> rgba;
  state.info_raw.colortype = LCT_RGBA;
  state.info_raw.bitdepth = 8;
  if (lodepng::decode(rgba, width, height, state, file->data(), file->size()) != 0) return PictureOutcome::unreadable;
  std::array<uint8_t, 16> screen_palette{};
  for (int i = 0; i < 16; i++)
    screen_palette[size_t(i)] = machine::read_memory_byte(*console.machine, kScreenPaletteAddress + uint32_t(i));
  std::vector<uint8_t> pixels(size_t(width) * height);
  for (size_t i = 0; i < pixels.size(); i++) {
    const uint8_t* p = &rgba[i * 4];
    const uint32_t argb = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    pixels[i] = machine::nearest_screen_palette_index(argb, console.app.palette, screen_palette);
  }
  input::set_dropped_picture(console.input.serial.dropped, int(width), int(height), pixels);
  return PictureOutcome::posted;
}

void handle_dropped_path(Console& console, const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  const bool regular = !error && std::filesystem::is_regular_file(status);
  const std::uintmax_t size = regular ? std::filesystem::file_size(path, error) : 0;
  if (regular && !error && size <= kMaxCartridgeFileBytes) {
    cart::CartridgeLoadResult loaded = cart::load_cartridge_any_format(path, console_cartridge_host(console));
    if (loaded.cartridge) {
      // A player does not take cartridges from the desktop by itself; a
      // program may still load("@dropped").
      console.dropped_cartridge = std::move(loaded.cartridge);
      show(console, "can not load");
      return;
    }
  }
  if (console.pstate.console_mode == kModeStopped && !console.pstate.program_running) {
    print_console_line(console, "could not load cartridge", 6);
    return;
  }
  if (!regular || error) {
    show(console, "could not read dropped file");
    return;
  }
  if (path.find("tmm.png") != std::string::npos) {
    show(console, "tmm.png not supported");
    return;
  }
  if (path.find(".png") != std::string::npos) {
    switch (post_picture(console, path, size)) {
      case PictureOutcome::posted: break;
      case PictureOutcome::too_large: show(console, "image is too large (128 max)"); break;
      case PictureOutcome::unreadable: show(console, "could not read dropped file"); break;
    }
    return;
  }
  if (size > kMaxDroppedFileBytes) {
    show(console, "file is too large (512k max)");
    return;
  }
  std::optional<std::vector<uint8_t>> bytes = read_start(path, kMaxDroppedFileBytes + 1);
  if (!bytes || bytes->size() > kMaxDroppedFileBytes) {
    show(console, bytes ? "file is too large (512k max)" : "could not read dropped file");
    return;
  }
  input::set_dropped_file(console.input.serial.dropped, std::move(*bytes));
}

}  // namespace

void handle_dropped_file(Console& console) {
  if (console.app.dropped_path.empty()) return;
  const std::string path = std::move(console.app.dropped_path);
  console.app.dropped_path.clear();
  handle_dropped_path(console, path);
}

}  // namespace tamori::shell
