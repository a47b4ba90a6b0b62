#include "machine/memory_files.h"

#include <algorithm>
#include <cctype>

#include "audio/sound_records.h"
#include "machine/memory.h"

namespace tamori::machine {

namespace {

constexpr int kReloadCyclesPerByte = 8;
constexpr int kCstoreCyclesPerByte = 64;
constexpr int kMaxBytesCharged = 4096;
constexpr int kReloadDiskIconFrames = 8;
constexpr int kCstoreDiskIconFrames = 20;
constexpr int kMaxCstoreDiskIconFrames = 40;

int64_t file_cycles(int32_t len, int per_byte) {
  return static_cast<int64_t>(per_byte) * std::clamp(len, 0, kMaxBytesCharged);
}

bool starts_with(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool contains_ignoring_case(const std::string& text, const std::string& lower_needle) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find(lower_needle) != std::string::npos;
}

enum class NameCheck { Refused, NoResult, Sandbox, Plain };

// The file a reload/cstore name stands for: refused (result 0), no result,
// a built-in cartridge's sandbox file, or a plain file under "cstore/".
NameCheck resolve_file_name(const CartridgeStorage& storage, const std::string& name, std::string* path) {
  if (name.size() > kMaxMemoryFileNameLength || starts_with(name, "__")) return NameCheck::Refused;
  std::string hash;
  if (storage.builtin_cartridge_hash && storage.builtin_cartridge_hash(name, &hash)) {
    *path = cstore_sandbox_path(storage, hash);
    return NameCheck::Sandbox;
  }
  std::string relative = starts_with(name, "/") ? name.substr(1) : name;
  if (starts_with(relative, "/") || relative.find("..") != std::string::npos) return NameCheck::NoResult;
  *path = storage.data_folder + "cstore/" + relative;
  return NameCheck::Plain;
}

void note_file_access(MachineState& state, const std::string& path) {
  if (path == state.last_file_accessed) return;
  state.last_file_accessed = path;
  state.disk_activity_frames = std::max(state.disk_activity_frames, kReloadDiskIconFrames);
}

void log_line(const CartridgeStorage& storage, const std::string& line) {
  if (storage.log) storage.log(line);
}

int16_t as_int16(int32_t value) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value))); }

void copy_rom_into_memory(MachineState& state, const uint8_t* rom, int32_t dest, int32_t src, int32_t len) {
  for (int32_t i = 0; i < len; ++i)
    write_memory_byte(state, static_cast<uint32_t>(dest + i), read_rom_image_byte(rom, static_cast<uint32_t>(src + i)));
}

void set_change_mask_bit(CartridgeImage& image, uint32_t address) {
  image.change_mask[address / 8] = static_cast<uint8_t>(image.change_mask[address / 8] | (1u << (address % 8)));
}

}  // namespace

CartridgeImage make_new_cartridge_image() {
  CartridgeImage image;
  for (int n = 0; n < audio::kMusicPatternCount; ++n)
    audio::encode_music_pattern(audio::default_music_pattern(), image.rom + kMusicAddress + 4 * n);
  for (int n = 0; n < audio::kSoundEffectCount; ++n)
    audio::encode_sound_effect(audio::default_sound_effect(n),
                               image.rom + kSoundEffectsAddress + audio::kSoundEffectByteSize * n);
  std::fill(std::begin(image.change_mask), std::end(image.change_mask), 0xff);
  return image;
}

std::string cstore_sandbox_path(const CartridgeStorage& storage, const std::string& hash) {
  return storage.data_folder + "cstore/__" + hash + ".tm";
}

MemoryFileResult reload_memory(MachineState& state, const CartridgeStorage& storage, const MemoryFileRequest& request) {
  int32_t dest = as_int16(request.dest), src = as_int16(request.src), len = as_int16(request.len);
  MemoryFileResult result;
  result.cpu_cycles = file_cycles(len, kReloadCyclesPerByte);
  len = std::max(len, 0);
  result.has_result = true;

  auto image = std::make_unique<CartridgeImage>();
  if (!request.has_filename) {
    if (!storage.read_loaded_rom || !storage.read_loaded_rom(image->rom)) return result;
  } else {
    std::string path;
    NameCheck check = resolve_file_name(storage, request.filename, &path);
    if (check == NameCheck::Refused) return result;
    if (check == NameCheck::NoResult) {
      result.has_result = false;
      return result;
    }
    note_file_access(state, path);
    bool loaded = storage.load_cartridge_file && storage.load_cartridge_file(path, image.get());
    if (!loaded && check == NameCheck::Sandbox) {
      log_line(storage, "sandboxed_cstore file not found: " + path);
      log_line(storage, "  --> using internal file: " + request.filename);
      loaded = storage.load_builtin_cartridge && storage.load_builtin_cartridge(request.filename, image.get());
    }
    if (!loaded) return result;
  }
  copy_rom_into_memory(state, image->rom, dest, src, len);
  result.value = len;
  return result;
}

MemoryFileResult cstore_memory(MachineState& state, const CartridgeStorage& storage, const MemoryFileRequest& request) {
  int32_t dest = as_int16(request.dest), src = as_int16(request.src), len = as_int16(request.len);
  MemoryFileResult result;
  result.cpu_cycles = file_cycles(len, kCstoreCyclesPerByte);
  len = std::max(len, 0);
  result.has_result = true;

  std::string path;
  bool sandbox = true;
  if (!request.has_filename) {
    if (!storage.loaded_cartridge_hash) return result;
    path = cstore_sandbox_path(storage, storage.loaded_cartridge_hash());
  } else {
    NameCheck check = resolve_file_name(storage, request.filename, &path);
    if (check == NameCheck::Refused) return result;
    if (check == NameCheck::NoResult) {
      result.has_result = false;
      return result;
    }
    sandbox = check == NameCheck::Sandbox;
  }

  std::vector<std::string>& written = state.cstore_files_written;
  bool known_file = std::find(written.begin(), written.end(), path) != written.end();
  if (!known_file && written.size() >= kMaxCstoreFiles) return result;
  if (!known_file) written.push_back(path);

  auto image = std::make_unique<CartridgeImage>();
  if (!storage.load_cartridge_file || !storage.load_cartridge_file(path, image.get())) {
    *image = make_new_cartridge_image();
    if (sandbox) std::fill(std::begin(image->change_mask), std::end(image->change_mask), 0);
  }
  for (int32_t i = 0; i < len; ++i) {
    uint32_t address = static_cast<uint32_t>(dest + i) & 0xffff;
    if (address >= kCartridgeRomSize) continue;
    image->rom[address] = read_memory_byte(state, static_cast<uint32_t>(src + i));
    if (sandbox) set_change_mask_bit(*image, address);
  }

  if (!request.has_filename && storage.read_loaded_rom && storage.write_loaded_rom) {
    auto loaded = std::make_unique<uint8_t[]>(kCartridgeRomSize);
    if (storage.read_loaded_rom(loaded.get())) {
      for (int32_t i = 0; i < len; ++i)
        write_rom_image_byte(loaded.get(), static_cast<uint32_t>(dest + i),
                             read_memory_byte(state, static_cast<uint32_t>(src + i)));
      storage.write_loaded_rom(loaded.get());
    }
  }

  state.disk_activity_frames = std::min(state.disk_activity_frames + kCstoreDiskIconFrames, kMaxCstoreDiskIconFrames);
  const std::string& name = request.has_filename ? request.filename : path;
  bool as_png = contains_ignoring_case(name, ".png") || contains_ignoring_case(name, ".rom");
  if (!storage.save_cartridge_file || !storage.save_cartridge_file(path, *image, as_png)) return result;
  result.value = len;
  return result;
}

}  // namespace tamori::machine
