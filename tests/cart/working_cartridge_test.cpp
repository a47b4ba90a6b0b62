// The working cartridge: loading by name, preparing, saving, backups and
// the reload/cstore file callbacks.
#include <gtest/gtest.h>

#include <random>

#include "cart/cartridge_backup.h"
#include "cart/cartridge_bytes.h"
#include "cart/cartridge_hash.h"
#include "cart/storage_hooks.h"
#include "cart/text_reader.h"
#include "cart/text_writer.h"
#include "cart/working_cartridge.h"
#include "cartridge_test_support.h"
#include "host/files.h"
#include "machine/memory.h"
#include "machine/memory_map.h"

namespace tamori::cart {
namespace {

// A host that records what the user would be told.
struct RecordingHost {
  test::TemporaryFolder folder;
  CartridgeHost host;
  std::vector<std::string> printed;
  std::vector<std::string> messages;
  std::vector<const Cartridge*> released;
  int installed = 0;
  std::string installed_name;

  explicit RecordingHost(const std::string& name) : folder(name) {
    host.data_folder = folder.folder();
    host.print = [this](const std::string& text, int) { printed.push_back(text); };
    host.show_message = [this](const std::string& text, int) { messages.push_back(text); };
    host.release_cartridge = [this](const Cartridge& cartridge) { released.push_back(&cartridge); };
    host.cartridge_installed = [this] {
      ++installed;
      installed_name = current_name ? *current_name : "";
    };
    host.local_time = [] {
      std::tm time{};
      time.tm_year = 2026 - 1900, time.tm_mon = 11, time.tm_mday = 8, time.tm_hour = 9, time.tm_min = 5, time.tm_sec = 7;
      return time;
    };
  }
  std::string file(const std::string& name) const { return folder.file(name); }
  // The working cartridge whose file name the installed callback records.
  const std::string* current_name = nullptr;
};

void write_cartridge(const std::string& path, const std::string& code, int sprite_colour = 0) {
  auto cartridge = create_cartridge();
  cartridge->code = code;
  cartridge->sprite_sheet[0] = static_cast<uint8_t>(sprite_colour);
  ASSERT_EQ(save_cartridge_text(*cartridge, path), 0);
}

TEST(WorkingCartridge, LoadsByNameWithTheExtensionPutIn) {
  RecordingHost recording("load_by_name");
  write_cartridge(recording.file("game.tm"), "-- game");
  WorkingCartridge working;
  recording.current_name = &working.file_name;
  const Cartridge* previous = working.cartridge.get();

  ASSERT_EQ(load_working_cartridge(working, recording.host, recording.file("game")), 0);
  EXPECT_EQ(working.cartridge->code, "-- game");
  EXPECT_EQ(working.file_name, recording.file("game.tm"));
  EXPECT_EQ(working.hash, cartridge_hash(working.cartridge.get()));
  EXPECT_EQ(working.sandbox_file, recording.folder.folder() + "cstore/__" + working.hash + ".tm");
  ASSERT_EQ(recording.released.size(), 1u);
  EXPECT_EQ(recording.released[0], previous);
  EXPECT_EQ(recording.installed, 1);
  EXPECT_EQ(recording.installed_name, recording.file("game.tm"));
}

TEST(WorkingCartridge, FailedLoadsKeepTheCurrentCartridge) {
  RecordingHost recording("failed_load");
  ASSERT_TRUE(host::write_file(recording.file("future"), "tamori cartridge\nversion 44\n"));
  write_cartridge(recording.file("future.tm"), "-- would load, but the search stopped");
  ASSERT_TRUE(host::write_file(recording.file("big.tm"), "tamori cartridge\nversion 43\n__lua__\n" + std::string(70000, 'x')));
  ASSERT_TRUE(host::write_file(recording.file("plain.txt"), "not a cartridge"));

  WorkingCartridge working;
  working.cartridge->code = "-- current";
  working.file_name = "current.tm";
  working.hash = "h";
  for (const char* name : {"future", "big", "plain.txt", "missing"}) {
    EXPECT_EQ(load_working_cartridge(working, recording.host, recording.file(name)), 1) << name;
    EXPECT_EQ(working.cartridge->code, "-- current") << name;
    EXPECT_EQ(working.file_name, "current.tm") << name;
    EXPECT_EQ(working.hash, "h") << name;
  }
  EXPECT_TRUE(recording.released.empty());
  EXPECT_EQ(recording.installed, 0);

  recording.host.accept_future = true;
  EXPECT_EQ(load_working_cartridge(working, recording.host, recording.file("future")), 0);
  EXPECT_EQ(working.cartridge->version, 44);
}

TEST(WorkingCartridge, PreparingReconcilesTheSharedRegionAndMergesTabs) {
  RecordingHost recording("prepare");
  auto cartridge = create_cartridge();
  cartridge->code = "a\n-->8\nb\n-->8\n";
  cartridge->map[40 * 128] = 0x21;
  WorkingCartridge working;
  install_working_cartridge(working, recording.host, std::move(cartridge));
  EXPECT_EQ(working.cartridge->code, "a\n-->8\nb");
  // Map row 40 is 0x1400, sprite row 80.
  EXPECT_EQ(working.cartridge->sprite_sheet[80 * 128], 1);
  EXPECT_EQ(working.cartridge->sprite_sheet[80 * 128 + 1], 2);
}

TEST(WorkingCartridge, SandboxedCartridgeTakesItsStoredBytesByChangeMask) {
  RecordingHost recording("sandbox");
  write_cartridge(recording.file("board.tm"), "-- from the board");
  WorkingCartridge working;
  ASSERT_EQ(load_working_cartridge(working, recording.host, recording.file("board.tm")), 0);

  auto patch = create_cartridge();
  patch->change_mask.fill(0);
  patch->change_mask[0x3000 / 8] = 0x01;  // only the flag of sprite 0
  patch->sprite_flags[0] = 0x5a;
  patch->sprite_flags[1] = 0x77;
  patch->sprite_sheet[5] = 9;
  ASSERT_TRUE(host::make_folders(recording.folder.folder() + "cstore"));
  ASSERT_EQ(save_cartridge_text(*patch, working.sandbox_file), 0);

  ASSERT_EQ(load_working_cartridge(working, recording.host, recording.file("board.tm")), 0);
  EXPECT_EQ(working.cartridge->sprite_flags[0], 0) << "not sandboxed: no patch";
  ASSERT_EQ(load_working_cartridge(working, recording.host, recording.file("board.tm"), {true}), 0);
  EXPECT_EQ(working.cartridge->sprite_flags[0], 0x5a);
  EXPECT_EQ(working.cartridge->sprite_flags[1], 0);
  EXPECT_EQ(working.cartridge->sprite_sheet[5], 0);
}

TEST(WorkingCartridge, SavesAsTextAndBecomesTheCurrentFile) {
  RecordingHost recording("save");
  WorkingCartridge working;
  working.cartridge->code = "-- saved";
  working.cartridge->music[3].flags = 4;
  ASSERT_EQ(save_working_cartridge(working, recording.host, recording.file("out")), 0);
  EXPECT_EQ(working.file_name, recording.file("out.tm"));
  EXPECT_EQ(working.hash, cartridge_hash(working.cartridge.get()));
  TextLoadResult loaded = load_cartridge_text(recording.file("out.tm"));
  ASSERT_TRUE(loaded.cartridge);
  EXPECT_EQ(*loaded.cartridge, *working.cartridge);
  EXPECT_TRUE(recording.printed.empty());
}

TEST(WorkingCartridge, SaveChecksTheCodeForEachTarget) {
  RecordingHost recording("save_checks");
  WorkingCartridge working;
  working.cartridge->code = "  #include other.lua\nprint(1)";
  working.file_name = "before.tm";
  std::string hash_before = working.hash = "unchanged";

  EXPECT_EQ(save_working_cartridge(working, recording.host, recording.file("pic.png")), 1);
  EXPECT_EQ(recording.printed, std::vector<std::string>{"can not #include"});
  EXPECT_EQ(recording.messages, std::vector<std::string>{"** failed to save **"});
  EXPECT_EQ(working.file_name, "before.tm");
  EXPECT_EQ(working.hash, hash_before);

  recording.printed.clear();
  EXPECT_EQ(save_working_cartridge(working, recording.host, recording.file("inc")), 0);
  EXPECT_EQ(recording.printed, std::vector<std::string>{"can not #include"});

  // Code that does not compress into the image: text saves with a warning.
  std::mt19937 random(5);
  working.cartridge->code = test::random_code(random, 40000);
  recording.printed.clear();
  EXPECT_EQ(save_working_cartridge(working, recording.host, recording.file("noisy")), 0);
  ASSERT_EQ(recording.printed.size(), 4u);
  EXPECT_EQ(recording.printed[0], "warning: compressed code too big");
  EXPECT_EQ(recording.printed[3], "(saving .tm anyway)");
  recording.printed.clear();
  EXPECT_EQ(save_working_cartridge(working, recording.host, recording.file("noisy.rom")), 1);
  ASSERT_EQ(recording.printed.size(), 2u);
  EXPECT_EQ(recording.printed[0], "compressed code size too large");
  EXPECT_NE(recording.printed[1].find(" / 15616 bytes"), std::string::npos);

  // Failure messages are only shown when messages are on.
  recording.messages.clear();
  recording.host.messages_enabled = false;
  EXPECT_EQ(save_working_cartridge(working, recording.host, recording.file("no/such/folder/x")), 1);
  EXPECT_TRUE(recording.messages.empty());
}

TEST(WorkingCartridge, SavesAndLoadsBothBinaryFormats) {
  RecordingHost recording("binary_formats");
  WorkingCartridge working;
  working.cartridge->code = "-- binary\nfunction _draw() cls(1) end";
  working.cartridge->sprite_sheet[5] = 9;
  ensure_label(*working.cartridge);
  working.cartridge->label[100] = 130;

  ASSERT_EQ(save_working_cartridge(working, recording.host, recording.file("game.png")), 0);
  EXPECT_EQ(working.file_name, recording.file("game.tm.png"));
  EXPECT_TRUE(recording.printed.empty());
  ASSERT_EQ(save_working_cartridge(working, recording.host, recording.file("game.rom")), 0);
  EXPECT_EQ(recording.printed, std::vector<std::string>{"writing 32768 bytes"});

  for (const char* name : {"game.tm.png", "game.tm.rom"}) {
    WorkingCartridge loaded;
    ASSERT_EQ(load_working_cartridge(loaded, recording.host, recording.file(name)), 0) << name;
    EXPECT_EQ(loaded.cartridge->code, working.cartridge->code) << name;
    EXPECT_EQ(loaded.cartridge->sprite_sheet, working.cartridge->sprite_sheet) << name;
    EXPECT_EQ(loaded.hash, working.hash) << name;
  }
  WorkingCartridge from_picture;
  ASSERT_EQ(load_working_cartridge(from_picture, recording.host, recording.file("game")), 0);
  EXPECT_EQ(from_picture.file_name, recording.file("game.tm.png"));
  EXPECT_EQ(from_picture.cartridge->label, working.cartridge->label);

  // A picture without a label is saved with a warning.
  working.cartridge->label.clear();
  recording.printed.clear();
  ASSERT_EQ(save_working_cartridge(working, recording.host, recording.file("blank.png")), 0);
  EXPECT_EQ(recording.printed, (std::vector<std::string>{"warning: label is blank", "run cart and ctrl-7 to capture"}));
}

TEST(WorkingCartridge, SavingOverAnotherFileBacksItUpFirst) {
  RecordingHost recording("backup_on_save");
  write_cartridge(recording.file("other.tm"), "-- other");
  WorkingCartridge working;
  working.cartridge->code = "-- mine";
  ASSERT_EQ(save_working_cartridge(working, recording.host, recording.file("other")), 0);
  std::string backup = recording.folder.folder() + "backup/20261208_090507_other.tm";
  TextLoadResult old = load_cartridge_text(backup);
  ASSERT_TRUE(old.cartridge) << backup;
  EXPECT_EQ(old.cartridge->code, "-- other");

  // Saving again to the current file makes no new backup.
  std::filesystem::remove(backup);
  ASSERT_EQ(save_working_cartridge(working, recording.host, recording.file("other")), 0);
  EXPECT_FALSE(host::file_exists(backup));
}

TEST(CartridgeBackup, PathsAndTheLastRunCopy) {
  RecordingHost recording("backups");
  EXPECT_EQ(backup_path(recording.host, "", false), recording.folder.folder() + "backup/untitled.tm");
  EXPECT_EQ(backup_path(recording.host, "/a/b/c.tm.png", true), recording.folder.folder() + "backup/20261208_090507_c.tm.png");

  WorkingCartridge working;
  working.cartridge->code = "-- last run";
  backup_last_run(working, recording.host);
  TextLoadResult last = load_cartridge_text(recording.folder.folder() + "backup/last_run.tm");
  ASSERT_TRUE(last.cartridge);
  EXPECT_EQ(last.cartridge->code, "-- last run");
}

TEST(StorageHooks, ReloadAndCstoreGoThroughCartridgeFiles) {
  RecordingHost recording("storage");
  WorkingCartridge working;
  working.cartridge->sprite_flags[7] = 0x42;
  working.hash = "cafe";
  machine::CartridgeStorage storage;
  connect_cartridge_storage(storage, working, recording.host);
  EXPECT_EQ(storage.loaded_cartridge_hash(), "cafe");

  auto machine_state = std::make_unique<machine::MachineState>();
  machine::init_machine_state(*machine_state);
  machine::MemoryFileRequest all;
  EXPECT_EQ(machine::reload_memory(*machine_state, storage, all).value, 0x4300);
  EXPECT_EQ(machine::read_memory_byte(*machine_state, 0x3007), 0x42);

  // cstore into a named file writes a text cartridge that keeps its code.
  ASSERT_TRUE(host::make_folders(recording.folder.folder() + "cstore"));
  write_cartridge(recording.folder.folder() + "cstore/levels.tm", "-- level data");
  machine::write_memory_byte(*machine_state, 0x2005, 0x99);
  machine::MemoryFileRequest store{0x2000, 0x2000, 16, true, "levels.tm"};
  EXPECT_EQ(machine::cstore_memory(*machine_state, storage, store).value, 16);
  TextLoadResult saved = load_cartridge_text(recording.folder.folder() + "cstore/levels.tm");
  ASSERT_TRUE(saved.cartridge);
  EXPECT_EQ(saved.cartridge->code, "-- level data");
  EXPECT_EQ(saved.cartridge->map[5], 0x99);

  machine::write_memory_byte(*machine_state, 0x2005, 0);
  machine::MemoryFileRequest load{0x2000, 0x2000, 16, true, "levels.tm"};
  EXPECT_EQ(machine::reload_memory(*machine_state, storage, load).value, 16);
  EXPECT_EQ(machine::read_memory_byte(*machine_state, 0x2005), 0x99);

  // A cstore without a name writes the sandbox file and the loaded record.
  machine::MemoryFileRequest own{0x3000, 0x3000, 1, false, ""};
  machine::write_memory_byte(*machine_state, 0x3000, 0x11);
  EXPECT_EQ(machine::cstore_memory(*machine_state, storage, own).value, 1);
  EXPECT_EQ(working.cartridge->sprite_flags[0], 0x11);
  TextLoadResult sandbox = load_cartridge_text(recording.folder.folder() + "cstore/__cafe.tm");
  ASSERT_TRUE(sandbox.cartridge);
  EXPECT_EQ(sandbox.cartridge->sprite_flags[0], 0x11);
  EXPECT_EQ(sandbox.cartridge->change_mask[0x3000 / 8], 0x01);
}

}  // namespace
}  // namespace tamori::cart
