// reload and cstore against an in-memory cartridge store.
#include "machine/memory_files.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "machine/memory.h"
#include "machine/memory_map.h"

namespace tamori::machine {
namespace {

struct SavedFile {
  CartridgeImage image;
  bool as_png = false;
};

// Cartridge files kept in a map by path; the loaded cartridge is one image.
struct FakeCartridgeStore {
  std::map<std::string, SavedFile> files;
  std::map<std::string, CartridgeImage> builtin;  // by name
  CartridgeImage loaded = make_new_cartridge_image();
  std::vector<std::string> log;
  bool fail_saves = false;

  CartridgeStorage storage() {
    CartridgeStorage s;
    s.data_folder = "/data/";
    s.loaded_cartridge_hash = [] { return std::string("abc123"); };
    s.read_loaded_rom = [this](uint8_t* rom) {
      memcpy(rom, loaded.rom, kCartridgeRomSize);
      return true;
    };
    s.write_loaded_rom = [this](const uint8_t* rom) { memcpy(loaded.rom, rom, kCartridgeRomSize); };
    s.load_cartridge_file = [this](const std::string& path, CartridgeImage* image) {
      auto found = files.find(path);
      if (found == files.end()) return false;
      *image = found->second.image;
      return true;
    };
    s.save_cartridge_file = [this](const std::string& path, const CartridgeImage& image, bool as_png) {
      if (fail_saves) return false;
      files[path] = SavedFile{image, as_png};
      return true;
    };
    s.builtin_cartridge_hash = [this](const std::string& name, std::string* hash) {
      if (!builtin.count(name)) return false;
      *hash = "b" + name;
      return true;
    };
    s.load_builtin_cartridge = [this](const std::string& name, CartridgeImage* image) {
      auto found = builtin.find(name);
      if (found == builtin.end()) return false;
      *image = found->second;
      return true;
    };
    s.log = [this](const std::string& line) { log.push_back(line); };
    return s;
  }
};

std::unique_ptr<MachineState> new_machine() {
  auto state = std::make_unique<MachineState>();
  init_machine_state(*state);
  return state;
}

MemoryFileRequest request(int32_t dest, int32_t src, int32_t len, const char* name = nullptr) {
  MemoryFileRequest r;
  r.dest = dest;
  r.src = src;
  r.len = len;
  if (name) {
    r.has_filename = true;
    r.filename = name;
  }
  return r;
}

bool mask_bit(const CartridgeImage& image, uint32_t address) { return image.change_mask[address / 8] >> (address % 8) & 1; }

TEST(Reload, CopiesTheLoadedCartridgeAndReadsZeroAboveIt) {
  auto m = new_machine();
  FakeCartridgeStore store;
  store.loaded.rom[0x10] = 0x99;
  store.loaded.rom[0x42ff] = 0x77;
  for (uint32_t i = 0; i < 16; ++i) write_memory_byte(*m, 0x4300 + i, 0xee);

  MemoryFileResult result = reload_memory(*m, store.storage(), request(0x4300, 0x4300, 16));
  EXPECT_TRUE(result.has_result);
  EXPECT_EQ(result.value, 16);
  EXPECT_EQ(result.cpu_cycles, 128);
  for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(read_memory_byte(*m, 0x4300 + i), 0) << i;

  result = reload_memory(*m, store.storage(), MemoryFileRequest{});
  EXPECT_EQ(result.value, 0x4300);
  EXPECT_EQ(result.cpu_cycles, 8 * 4096);
  EXPECT_EQ(read_memory_byte(*m, 0x10), 0x99);
  EXPECT_EQ(read_memory_byte(*m, 0x42ff), 0x77);
}

TEST(Reload, TakesArgumentsAsSigned16Bit) {
  auto m = new_machine();
  FakeCartridgeStore store;
  store.loaded.rom[5] = 0x12;
  // dest 0x18000 is 0x8000; len -1 copies nothing.
  MemoryFileResult result = reload_memory(*m, store.storage(), request(0x18000, 0x10005, 1));
  EXPECT_EQ(result.value, 1);
  EXPECT_EQ(read_memory_byte(*m, 0x8000), 0x12);
  result = reload_memory(*m, store.storage(), request(0x8000, 0, -1));
  EXPECT_EQ(result.value, 0);
  EXPECT_EQ(result.cpu_cycles, 0);
}

TEST(Reload, FileNameRules) {
  struct Case {
    std::string name;
    bool has_result;
    int32_t value;
  };
  const Case cases[] = {
      {"game.tm", true, 4},         {"/game.tm", true, 4},        {"missing.tm", true, 0},
      {"//game.tm", false, 0},      {"../game.tm", false, 0},     {"sub/../game.tm", false, 0},
      {"__abc123.tm", true, 0},     {std::string(513, 'a'), true, 0}, {std::string(512, 'a'), true, 4},
  };
  for (const Case& c : cases) {
    auto m = new_machine();
    FakeCartridgeStore store;
    store.files["/data/cstore/game.tm"].image.rom[1] = 0x31;
    store.files["/data/cstore/" + std::string(512, 'a')].image.rom[1] = 0x31;
    MemoryFileResult result = reload_memory(*m, store.storage(), request(0x4300, 0, 4, c.name.c_str()));
    EXPECT_EQ(result.has_result, c.has_result) << c.name.substr(0, 20);
    EXPECT_EQ(result.value, c.value) << c.name.substr(0, 20);
    EXPECT_EQ(read_memory_byte(*m, 0x4301), c.value ? 0x31 : 0) << c.name.substr(0, 20);
  }
}

TEST(Reload, BuiltInCartridgesPreferTheirSandboxFile) {
  auto m = new_machine();
  FakeCartridgeStore store;
  store.builtin["demo"].rom[0] = 0x0a;
  MemoryFileResult result = reload_memory(*m, store.storage(), request(0x4300, 0, 1, "demo"));
  EXPECT_EQ(result.value, 1);
  EXPECT_EQ(read_memory_byte(*m, 0x4300), 0x0a);
  ASSERT_EQ(store.log.size(), 2u);
  EXPECT_EQ(store.log[0], "sandboxed_cstore file not found: /data/cstore/__bdemo.tm");
  EXPECT_EQ(store.log[1], "  --> using internal file: demo");
  EXPECT_GT(m->disk_activity_frames, 0);

  store.files["/data/cstore/__bdemo.tm"].image.rom[0] = 0x0b;
  reload_memory(*m, store.storage(), request(0x4300, 0, 1, "demo"));
  EXPECT_EQ(read_memory_byte(*m, 0x4300), 0x0b);
}

TEST(Cstore, SandboxFileMarksWrittenBytesAndUpdatesTheLoadedCartridge) {
  auto m = new_machine();
  FakeCartridgeStore store;
  write_memory_byte(*m, 0x4300, 0x5c);
  write_memory_byte(*m, 0x4301, 0x5d);
  MemoryFileResult result = cstore_memory(*m, store.storage(), request(0x0100, 0x4300, 2));
  EXPECT_TRUE(result.has_result);
  EXPECT_EQ(result.value, 2);
  EXPECT_EQ(result.cpu_cycles, 128);
  ASSERT_TRUE(store.files.count("/data/cstore/__abc123.tm"));
  const SavedFile& saved = store.files["/data/cstore/__abc123.tm"];
  EXPECT_FALSE(saved.as_png);
  EXPECT_EQ(saved.image.rom[0x100], 0x5c);
  EXPECT_EQ(saved.image.rom[0x101], 0x5d);
  EXPECT_TRUE(mask_bit(saved.image, 0x100));
  EXPECT_TRUE(mask_bit(saved.image, 0x101));
  EXPECT_FALSE(mask_bit(saved.image, 0x102));
  EXPECT_FALSE(mask_bit(saved.image, 0x0ff));
  // A new file starts as a new cartridge: default effect speed of effect 1.
  EXPECT_EQ(saved.image.rom[0x3200 + 68 + 65], 16);
  // reload sees the bytes through the loaded cartridge.
  reload_memory(*m, store.storage(), request(0x4400, 0x100, 2));
  EXPECT_EQ(read_memory_byte(*m, 0x4400), 0x5c);
  EXPECT_EQ(read_memory_byte(*m, 0x4401), 0x5d);
  EXPECT_EQ(m->disk_activity_frames, 20);
  cstore_memory(*m, store.storage(), request(0, 0, 1));
  cstore_memory(*m, store.storage(), request(0, 0, 1));
  EXPECT_EQ(m->disk_activity_frames, 40);
}

TEST(Cstore, NamedFilesKeepTheirContentAndChooseTheFormat) {
  auto m = new_machine();
  FakeCartridgeStore store;
  store.files["/data/cstore/keep.tm.PNG"].image.rom[7] = 0x44;
  write_memory_byte(*m, 0x8000, 0x66);
  MemoryFileResult result = cstore_memory(*m, store.storage(), request(0x42ff, 0x8000, 3, "keep.tm.PNG"));
  EXPECT_EQ(result.value, 3);
  const SavedFile& saved = store.files["/data/cstore/keep.tm.PNG"];
  EXPECT_TRUE(saved.as_png);
  EXPECT_EQ(saved.image.rom[7], 0x44);
  EXPECT_EQ(saved.image.rom[0x42ff], 0x66);  // bytes beyond 0x42ff are ignored
  cstore_memory(*m, store.storage(), request(0, 0, 1, "x.rom"));
  EXPECT_TRUE(store.files["/data/cstore/x.rom"].as_png);
  cstore_memory(*m, store.storage(), request(0, 0, 1, "x.tm"));
  EXPECT_FALSE(store.files["/data/cstore/x.tm"].as_png);
  EXPECT_EQ(store.loaded.rom[0x42ff], 0);  // named files leave the loaded cartridge alone

  EXPECT_FALSE(cstore_memory(*m, store.storage(), request(0, 0, 1, "a/../b")).has_result);
  EXPECT_EQ(cstore_memory(*m, store.storage(), request(0, 0, 1, "__x")).value, 0);
  store.fail_saves = true;
  EXPECT_EQ(cstore_memory(*m, store.storage(), request(0, 0, 1, "x.tm")).value, 0);
}

TEST(Cstore, AtMost64DistinctFiles) {
  auto m = new_machine();
  FakeCartridgeStore store;
  for (int i = 0; i < 64; ++i)
    ASSERT_EQ(cstore_memory(*m, store.storage(), request(0, 0, 1, ("f" + std::to_string(i)).c_str())).value, 1);
  EXPECT_EQ(cstore_memory(*m, store.storage(), request(0, 0, 1, "f64")).value, 0);
  EXPECT_FALSE(store.files.count("/data/cstore/f64"));
  EXPECT_EQ(cstore_memory(*m, store.storage(), request(0, 0, 1, "f3")).value, 1);
}

}  // namespace
}  // namespace tamori::machine
