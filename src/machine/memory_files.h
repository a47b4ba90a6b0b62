// reload and cstore: copying between live memory and cartridge ROM images,
// either the loaded cartridge's or one kept in a file under "cstore/" in the
// application-data folder.
//
// Cartridge files are read and written by the cartridge storage code through
// CartridgeStorage, so that this code works on 0x4300-byte images only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "machine/machine_state.h"

namespace tamori::machine {

constexpr int kChangeMaskBytes = 2144;  // one bit per ROM byte
constexpr size_t kMaxCstoreFiles = 64;
constexpr size_t kMaxMemoryFileNameLength = 512;

struct CartridgeImage {
  uint8_t rom[kCartridgeRomSize] = {};
  // Bit i (byte i / 8, bit i % 8) marks ROM byte i as belonging to the file.
  uint8_t change_mask[kChangeMaskBytes] = {};
};

// The image of a new cartridge: all zero except the sound-effect speeds and
// the silent music patterns; change mask all ones.
CartridgeImage make_new_cartridge_image();

// What reload and cstore need from the rest of the console. Callbacks that
// are not set count as failing.
struct CartridgeStorage {
  // Application-data folder, with a trailing "/" (or empty for the current folder).
  std::string data_folder;
  // Identity hash of the loaded cartridge, as text.
  std::function<std::string()> loaded_cartridge_hash;
  // Copies the loaded cartridge's 0x4300 ROM bytes out / back in.
  std::function<bool(uint8_t* rom)> read_loaded_rom;
  std::function<void(const uint8_t* rom)> write_loaded_rom;
  // Loads a cartridge file in any format; false when it cannot be loaded.
  std::function<bool(const std::string& path, CartridgeImage* image)> load_cartridge_file;
  // Saves the image into a cartridge file (keeping the file's code and label
  // when it already exists), as PNG when as_png, else as text.
  std::function<bool(const std::string& path, const CartridgeImage& image, bool as_png)> save_cartridge_file;
  // For a name of a cartridge built into the console: its identity hash.
  std::function<bool(const std::string& name, std::string* hash)> builtin_cartridge_hash;
  std::function<bool(const std::string& name, CartridgeImage* image)> load_builtin_cartridge;
  std::function<void(const std::string& line)> log;
};

// Arguments after the language's defaults: dest 0, src 0, len 0x4300 when
// fewer than three were given; a filename only when the fourth was a string.
struct MemoryFileRequest {
  int32_t dest = 0;
  int32_t src = 0;
  int32_t len = static_cast<int32_t>(kCartridgeRomSize);
  bool has_filename = false;
  std::string filename;
};

struct MemoryFileResult {
  bool has_result = false;  // false: the call returns nothing
  int32_t value = 0;        // bytes copied, or 0 on failure
  int64_t cpu_cycles = 0;
};

// The sandbox file of a cartridge with identity hash `hash`.
std::string cstore_sandbox_path(const CartridgeStorage& storage, const std::string& hash);

MemoryFileResult reload_memory(MachineState& state, const CartridgeStorage& storage, const MemoryFileRequest& request);
MemoryFileResult cstore_memory(MachineState& state, const CartridgeStorage& storage, const MemoryFileRequest& request);

}  // namespace tamori::machine
