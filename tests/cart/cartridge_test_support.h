// Helpers shared by the cartridge tests: random records that survive a trip
// through the text format, a temporary folder for file tests, and a host
// that records what it is given to print.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "cart/cartridge.h"
#include "cart/cartridge_bytes.h"
#include "cart/cartridge_host.h"

namespace tamori::cart::test {

inline uint8_t random_byte(std::mt19937& random) { return static_cast<uint8_t>(random() & 0xff); }

// Code of random tmscii bytes: every code but "\r" (a line end in the file),
// and no line that starts a section or ends the file.
inline std::string random_code(std::mt19937& random, std::size_t length) {
  std::string code;
  for (std::size_t i = 0; i < length; ++i) {
    uint8_t byte = random_byte(random);
    bool line_start = code.empty() || code.back() == '\n';
    if (byte == '\r' || (line_start && (byte == '_' || byte == '#'))) byte = 'x';
    code += static_cast<char>(byte);
  }
  return code;
}

// Any record the console can hold, with the shared region reconciled as a
// prepared cartridge has it and the version the writer gives.
inline std::unique_ptr<Cartridge> random_cartridge(std::mt19937& random) {
  auto cartridge = create_cartridge();
  std::uniform_int_distribution<int> percent(0, 99);
  // Leave whole parts at their new-record state now and then, so that the
  // "written only when it holds something" rules are crossed both ways.
  if (percent(random) < 80) cartridge->code = random_code(random, 1 + random() % 3000);
  if (percent(random) < 80) {
    int rows = 1 + static_cast<int>(random() % 128);
    for (int i = 0; i < rows * kSpriteSheetSize; ++i) cartridge->sprite_sheet[i] = random_byte(random) & 15;
  }
  if (percent(random) < 70) {
    int rows = 1 + static_cast<int>(random() % 64);
    for (int i = 0; i < rows * kMapWidth; ++i) cartridge->map[i] = random_byte(random);
  }
  if (percent(random) < 60)
    for (uint8_t& flag : cartridge->sprite_flags) flag = random() % 4 == 0 ? random_byte(random) : 0;
  int effects = percent(random) < 70 ? static_cast<int>(random() % 65) : 0;
  for (int i = 0; i < effects; ++i) {
    audio::SoundEffect& effect = cartridge->sound_effects[i];
    effect.filter_bits = random_byte(random) & 0xfe;
    effect.editor_mode = random() % 2;
    effect.speed = random_byte(random);
    effect.loop_start = random_byte(random);
    effect.loop_end = random_byte(random);
    for (audio::SoundNote& note : effect.notes) {
      note.pitch = random_byte(random) & 63;
      note.waveform = random_byte(random) & 7;
      note.volume = random_byte(random) & 7;
      note.effect = random_byte(random) & 7;
      note.custom_instrument = random() % 5 == 0;
    }
  }
  int patterns = percent(random) < 70 ? static_cast<int>(random() % 65) : 0;
  for (int i = 0; i < patterns; ++i) {
    for (uint8_t& track : cartridge->music[i].tracks) track = random_byte(random) & 0x7f;
    cartridge->music[i].flags = random_byte(random) & 0x0f;
  }
  if (percent(random) < 50) {
    ensure_label(*cartridge);
    for (uint8_t& pixel : cartridge->label) {
      uint8_t value = random_byte(random) & 31;
      pixel = value < 16 ? value : static_cast<uint8_t>(value - 16 + 128);
    }
    cartridge->label[0] = 1;  // a label of zeros alone is not written
  }
  if (percent(random) < 30)
    for (uint8_t& byte : cartridge->change_mask) byte = random_byte(random);
  int meta_sections = percent(random) < 30 ? static_cast<int>(random() % 4) : 0;
  for (int i = 0; i < meta_sections; ++i) {
    MetaSection section{"__meta:part" + std::to_string(i) + (random() % 2 ? " extra" : ""), ""};
    int lines = static_cast<int>(random() % 5);
    for (int line = 0; line < lines; ++line) section.text += "meta line " + std::to_string(random()) + " =[]{}\n";
    cartridge->meta_sections.push_back(section);
  }
  reconcile_shared_region(*cartridge);
  return cartridge;
}

// A fresh empty folder under the system's temporary folder, removed with
// the object.
struct TemporaryFolder {
  std::filesystem::path path;

  explicit TemporaryFolder(const std::string& name) {
    path = std::filesystem::temp_directory_path() / ("tamori_cart_" + name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string file(const std::string& name) const { return (path / name).string(); }
  // With a trailing "/", as the data folder is given.
  std::string folder() const { return path.string() + "/"; }
};

// A host that keeps the lines printed (with their colours) and the last
// text put on the clipboard.
struct PrintRecordingHost {
  std::vector<std::pair<std::string, int>> lines;
  std::string clipboard;
  CartridgeHost host;

  PrintRecordingHost() {
    host.print = [this](const std::string& text, int colour) { lines.emplace_back(text, colour); };
    host.set_clipboard = [this](const std::string& text) { clipboard = text; };
  }
};

}  // namespace tamori::cart::test
