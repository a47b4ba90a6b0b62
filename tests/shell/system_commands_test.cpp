// The system commands over a started console: virtual paths, the folder
// commands and their refusals of every way out of the root, save with its
// name check, confirmation, formats and failures, load of the data file's
// cartridges, extcmd and help.
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cart/cartridge_loader.h"
#include "cart/embedded_carts.h"
#include "cart/rom_image.h"
#include "cartridge_run_fixture.h"
#include "cart/share_address.h"
#include "host/files.h"
#include "host/virtual_disk.h"
#include "runner/program_runner.h"
#include "shell/extcmd.h"
#include "shell/help_command.h"
#include "shell/settings.h"
#include "shell/system_commands.h"
#include "shell/virtual_paths.h"

namespace tamori::shell::testing {
namespace {

namespace fs = std::filesystem;

// A data-file item's 32 KB image of a cartridge with this code.
std::vector<uint8_t> image_of_code(const std::string& code) {
  auto cartridge = cart::create_cartridge();
  cartridge->code = code;
  std::vector<uint8_t> image(cart::kRomImageSize);
  cart::build_rom_image(*cartridge, image.data(), true);
  return image;
}

TEST(VirtualPaths, NormalisedPathsNeverLeaveTheRoot) {
  const struct {
    const char* current;
    const char* path;
    const char* expected;
  } cases[] = {
      {"", "", "/"},          {"", "..", "/"},              {"", "../..", "/"},
      {"games", "..", "/"},   {"games", "../../x", "/x"},   {"a/b", "c", "/a/b/c"},
      {"a/b", "/c", "/c"},    {"a", ".//b/./c/", "/a/b/c"}, {"a/b", "../../../..", "/"},
      {"", "/../etc", "/etc"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(normalise_tamori_path(c.current, c.path), c.expected) << c.current << " + " << c.path;
  EXPECT_EQ(resolve_to_host_filename("/r/", "a", "../../b.tm"), "/r/b.tm");
  EXPECT_FALSE(resolve_to_host_filename("/r/", "", std::string("a\0b", 3)));
}

class SystemCommands : public CartridgeRun {
 protected:
  void SetUp() override {
    CartridgeRun::SetUp();
    HeadlessRunResult started = run_code("function _update() end", 1);
    ASSERT_TRUE(started.started);
    console.app.write_stdout = [this](std::string_view text) { out += text; };
    root = console_settings().root_path;
    fs::create_directories(root);
    outside = home / "outside";
    fs::create_directories(outside);
    fs::create_directory_symlink(outside, fs::path(root) / "link");
    runner::run_chain_reset(runner::program_runner().run_chain);
    // Commands run from a command text: no program is running.
    console.pstate.program_running = false;
  }
  void TearDown() override {
    host::virtual_disk_clear(host::virtual_disk());
    CartridgeRun::TearDown();
  }
  std::string take_output() { return std::exchange(out, ""); }
  bool outside_is_empty() const { return fs::is_empty(outside); }

  void mount(const std::vector<std::pair<std::string, std::string>>& carts) {
    std::vector<host::PodItem> items;
    int number = host::kFirstEmbeddedCartItem;
    for (const auto& [name, code] : carts) items.push_back({number++, name, image_of_code(code)});
    cart::mount_embedded_cart_items(console.embedded_carts, items);
  }

  std::string out;
  std::string root;
  fs::path outside;
};

TEST_F(SystemCommands, EscapeAttemptsThroughEveryCommandLeaveNothingOutside) {
  const std::string names[] = {"../../escape", "/../escape", "link/escape", std::string("bad\0name", 8),
                               "link/../link/escape"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    command_save(console, name);
    command_mkdir(console, name);
    command_cd(console, name);
    command_ls(console, name);
    EXPECT_FALSE(command_load(console, {name, {}, {}, 1}).value_or(false));
    EXPECT_TRUE(outside_is_empty());
    EXPECT_TRUE(console.commands.current_folder.empty()) << console.commands.current_folder;
  }
  // ".." at the root stays at the root: the save lands inside it.
  EXPECT_TRUE(fs::exists(fs::path(root) / "escape.tm"));
  take_output();
  command_cd(console, "link");
  EXPECT_EQ(take_output(), "cd: failed\n");
  command_mkdir(console, "link/inner");
  EXPECT_EQ(take_output(), "mkdir failed: illegal path name\n");
  command_save(console, "link/game");
  EXPECT_EQ(take_output(), "* save failed *\nillegal filename:\n");
  // A dangling link inside the root would let a write create its target.
  fs::create_symlink(outside / "made.tm", fs::path(root) / "dangling.tm");
  command_save(console, "dangling");
  EXPECT_EQ(take_output(), "* save failed *\nillegal filename:\n");
  EXPECT_TRUE(outside_is_empty());
}

TEST_F(SystemCommands, CdMkdirAndLsWorkBelowTheRoot) {
  command_cd(console, {});
  EXPECT_EQ(take_output(), "directory: /\n");
  command_mkdir(console, {});
  EXPECT_EQ(take_output(), "mkdir [name]\n");
  command_mkdir(console, "games");
  EXPECT_TRUE(fs::is_directory(fs::path(root) / "games"));
  command_cd(console, "games");
  EXPECT_EQ(take_output(), "/games\n");
  command_cd(console, "nowhere");
  EXPECT_EQ(take_output(), "directory not found\n");
  command_cd(console, "../..");
  EXPECT_EQ(take_output(), "cd: failed\n");
  command_cd(console, "..");
  EXPECT_EQ(take_output(), "/\n");
  command_mkdir(console, "-bad");
  EXPECT_EQ(take_output(), "mkdir failed: illegal path name\n");

  for (int i = 0; i < 19; ++i) std::ofstream(fs::path(root) / ("c" + std::to_string(10 + i) + ".tm")) << "x";
  std::ofstream(fs::path(root) / "notes.txt") << "x";
  command_ls(console, {});
  std::string expected = "directory: /\ngames\nlink\n";
  for (int i = 0; i < 15; ++i) expected += "c" + std::to_string(10 + i) + ".tm\n";
  EXPECT_EQ(take_output(), expected + "--more--\n");
  continue_listing(console);
  EXPECT_EQ(take_output(), "c25.tm\nc26.tm\nc27.tm\nc28.tm\n");
  continue_listing(console);
  EXPECT_EQ(take_output(), "");
  command_ls(console, "/games/*");
  EXPECT_EQ(take_output(), "directory: /games\n");
  command_ls(console, "missing");
  EXPECT_EQ(take_output(), "directory: /missing\nnot found\n");
  // A running program lists nothing, even in execute mode.
  console.pstate.program_running = true;
  command_ls(console, {});
  EXPECT_EQ(take_output(), "");
}

TEST_F(SystemCommands, SaveChecksTheNameAndAddsTheExtension) {
  const struct {
    const char* name;
    const char* file;  // null: refused
  } cases[] = {
      {"my game", "my game.tm"}, {"Upper", "Upper.tm"}, {"a-b", "a-b.tm"},   {"sub/x", "sub/x.tm"},
      {"me@home", "me@home.tm"}, {"pic.png", "pic.tm.png"}, {"c:d", nullptr}, {"-lead", nullptr},
      {"tab\tname", nullptr},
  };
  fs::create_directories(fs::path(root) / "sub");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    command_save(console, std::string(c.name));
    const std::string output = take_output();
    if (!c.file) {
      EXPECT_EQ(output, "* save failed *\nillegal filename:\n");
      continue;
    }
    EXPECT_TRUE(fs::exists(fs::path(root) / c.file));
    EXPECT_EQ(console.working.file_name, root + c.file);
  }
  command_save(console, std::string(513, 'a'));
  EXPECT_EQ(take_output(), "filename too long\n");
  // Quick save writes the working file again.
  console.working.file_name = root + "sub/x.tm";
  console.working.cartridge->code = "-- changed";
  command_save(console, {});
  EXPECT_EQ(take_output(), "saved sub/x.tm\n");
  EXPECT_EQ(cart::load_cartridge_any_format(root + "sub/x.tm").cartridge->code, "-- changed");
  console.working.file_name.clear();
  command_save(console, {});
  EXPECT_EQ(take_output(), "please speficy a filename\n");
}

std::string clipboard_for_tests;

TEST_F(SystemCommands, SavingToTheClipboard) {
  console.app.platform.set_clipboard_text = [](void*, const std::string& text) { clipboard_for_tests = text; };
  console.working.cartridge->code = "print('clip')";
  command_save(console, "@url");
  EXPECT_EQ(clipboard_for_tests.rfind(cart::kShareBaseAddress, 0), 0u) << clipboard_for_tests;
  EXPECT_NE(take_output().find("copied url to clipboard\n"), std::string::npos);

  command_save(console, "@clip");
  EXPECT_EQ(take_output(), "warning: label is blank\nrun cart and ctrl-7 to capture\nsaved to clipboard\n");
  const std::string picture = console.app.data_folder + "_clip.tm.png";
  std::optional<std::vector<uint8_t>> bytes = host::read_file(picture);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(clipboard_for_tests.substr(0, 16), "89504e470d0a1a0a");  // the PNG signature
  std::optional<std::vector<uint8_t>> hex = host::read_file(picture + ".hex");
  ASSERT_TRUE(hex);
  EXPECT_EQ(std::string(hex->begin(), hex->end()), clipboard_for_tests);
  cart::CartridgeHost host;
  host.console_data = &console.app.data;
  EXPECT_EQ(cart::load_cartridge_any_format(picture, host).cartridge->code, "print('clip')");
}

TEST_F(SystemCommands, OverwritingNeedsASecondSaveOutsideExecuteMode) {
  console.app.options.execute = false;
  console.working.cartridge->code = "-- first";
  command_save(console, "game");
  console.working.cartridge->code = "-- second";
  command_save(console, "game");
  EXPECT_TRUE(console.commands.overwrite_confirmed);
  EXPECT_EQ(cart::load_cartridge_any_format(root + "game.tm").cartridge->code, "-- first");
  command_save(console, "game");
  EXPECT_FALSE(console.commands.overwrite_confirmed);
  EXPECT_EQ(cart::load_cartridge_any_format(root + "game.tm").cartridge->code, "-- second");
  console.app.options.execute = true;
}

TEST_F(SystemCommands, SavedCartridgesLoadBackInEveryFormat) {
  cart::Cartridge& cartridge = *console.working.cartridge;
  cartridge.code = "print('round trip')";
  cartridge.sprite_sheet[130] = 12;
  cartridge.map[5] = 77;
  cartridge.label.assign(128 * 128, 3);
  cartridge.label[9] = 140;
  for (const char* name : {"trip.tm", "trip.tm.png", "trip.tm.rom"}) {
    SCOPED_TRACE(name);
    console.app.options.execute = false;  // no copy of memory into the record
    command_save(console, std::string(name));
    console.app.options.execute = true;
    cart::CartridgeHost host;
    host.console_data = &console.app.data;  // the label's colours go through the palette
    cart::CartridgeLoadResult loaded = cart::load_cartridge_any_format(root + name, host);
    ASSERT_TRUE(loaded.cartridge);
    EXPECT_EQ(loaded.cartridge->code, cartridge.code);
    EXPECT_EQ(loaded.cartridge->sprite_sheet, cartridge.sprite_sheet);
    EXPECT_EQ(loaded.cartridge->map, cartridge.map);
    // The ROM image has no room for a label.
    if (std::string(name) != "trip.tm.rom") {
      EXPECT_EQ(loaded.cartridge->label, cartridge.label);
    }
  }
}

TEST_F(SystemCommands, AFailedSaveKeepsTheOldFile) {
  std::ofstream(fs::path(root) / "keep.tm") << "old contents";
  console.working.cartridge->code = std::string(20000, 'x');
  // Writes past 4 KB fail, as on a full disk.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous{};
  getrlimit(RLIMIT_FSIZE, &previous);
  rlimit small = previous;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  command_save(console, "keep");
  setrlimit(RLIMIT_FSIZE, &previous);
  EXPECT_EQ(take_output(), "could not save\n");
  std::ifstream kept(fs::path(root) / "keep.tm");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "old contents");
  int files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root)) files++;
  EXPECT_EQ(files, 2);  // keep.tm and the link: no temporary file left

  if (geteuid() != 0) {  // the super-user writes into read-only folders
    fs::create_directories(fs::path(root) / "locked");
    std::ofstream(fs::path(root) / "locked/old.tm") << "locked contents";
    fs::permissions(fs::path(root) / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    command_save(console, "locked/old");
    fs::permissions(fs::path(root) / "locked", fs::perms::owner_all);
    EXPECT_EQ(take_output(), "could not save\n");
    std::ifstream locked(fs::path(root) / "locked/old.tm");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(locked), {}), "locked contents");
  }
}

TEST_F(SystemCommands, LoadTakesOnlyTheDataFilesCartridges) {
  mount({{"head.tm", "-- head"}, {"demo.tm", "-- demo"}, {"pic.tm.png", "-- picture"}});
  const struct {
    const char* name;
    std::optional<bool> result;
    const char* output;
    const char* code;  // the working cartridge's code afterwards
  } cases[] = {
      {"demo", true, "loaded demo.tm (7 chars)\n", "-- demo"},
      {"pic", true, "loaded pic.tm.png (10 chars)\n", "-- picture"},
      {"demo.tm", true, "loaded demo.tm (7 chars)\n", "-- demo"},
      {"#demo", false, "", "-- demo"},
      {"__anything", false, "could not load\n", "-- demo"},
      {"@clip", false, "", "-- demo"},
      {"@dropped", false, "could not load\n", "-- demo"},
      {"missing", false, "", "-- demo"},
      {"dem", false, "", "-- demo"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(command_load(console, {c.name, {}, {}, 1}), c.result);
    EXPECT_EQ(take_output(), c.output);
    EXPECT_EQ(console.working.cartridge->code, c.code);
  }
  EXPECT_EQ(command_load(console, {std::string(513, 'a'), {}, {}, 1}), std::nullopt);
  EXPECT_EQ(command_load(console, {std::nullopt, {}, {}, 1}), std::nullopt);
  // While a program runs nothing is printed.
  console.pstate.program_running = true;
  EXPECT_EQ(command_load(console, {"demo", {}, {}, 1}), true);
  EXPECT_EQ(take_output(), "");

  // A breadcrumb longer than one character is left for the way back, and a
  // third argument is the next run's parameter.
  runner::ProgramRunner& runner = runner::program_runner();
  console.working.file_name = "before.tm";
  EXPECT_EQ(command_load(console, {"pic", "back", "level 2", 3}), true);
  ASSERT_NE(runner::run_chain_top(runner.run_chain), nullptr);
  EXPECT_EQ(runner::run_chain_top(runner.run_chain)->label, "back");
  EXPECT_EQ(runner::run_chain_top(runner.run_chain)->file_name, "before.tm");
  EXPECT_EQ(runner.next_parameter, "level 2");
  EXPECT_EQ(command_load(console, {"demo", "b", {}, 2}), true);
  EXPECT_EQ(runner.run_chain.entries.size(), 1u);
  EXPECT_EQ(runner.next_parameter, "");
}

TEST_F(SystemCommands, InfoBackupFolderAndTheMachineCommands) {
  console.working.cartridge->code = "print(1)";
  console.working.file_name = root + "info.tm";
  command_info(console);
  EXPECT_EQ(take_output(),
            "file: info.tm\ntokens:         3 /  8192\nchars:          8 / 65535\ncompressed:     8 / 15616\n");
  std::ofstream(fs::path(root) / "info.tm") << "tamori cartridge // x\nversion 43\n__lua__\nprint(2)\n";
  command_info(console);
  EXPECT_NE(take_output().find("external changes\n"), std::string::npos);

  command_backup(console);
  EXPECT_EQ(take_output(), "backed up info.tm\n");
  int backups = 0;
  for (const auto& entry : fs::directory_iterator(console.app.data_folder + "backup")) {
    const std::string name = entry.path().filename().string();
    // "YYYYMMDD_HHMMSS_info.tm"
    if (name.size() == 23 && name[8] == '_' && name.substr(15) == "_info.tm") backups++;
  }
  EXPECT_EQ(backups, 1);

  command_folder(console, "elsewhere");
  EXPECT_EQ(take_output(), "useage: folder [location]\nlocations:\nbackups config bbs desktop\n");
  for (int i = 0; i < 12; ++i) command_folder(console, "backups");
  EXPECT_EQ(take_output(), "");
  EXPECT_EQ(console.commands.folder_openings, kFolderOpeningsPerMinute);
  reset_command_rate_limits(console);
  EXPECT_EQ(console.commands.folder_openings, 0);

  runner::ProgramRunner& runner = runner::program_runner();
  runner.current_parameter = "old";
  // run() restarts through the reset glitch, past its scramble, and is
  // ignored while a glitch runs.
  command_run(console, std::string("next"));
  EXPECT_EQ(console.pstate.glitch_frames, 3);
  EXPECT_EQ(runner.next_parameter, "next");
  command_run(console, std::string("ignored"));
  EXPECT_EQ(runner.next_parameter, "next");
  console.pstate.glitch_frames = 0;
  command_run(console, std::nullopt);
  EXPECT_EQ(runner.next_parameter, "");
  EXPECT_EQ(runner.current_parameter, "");
  command_reboot(console);
  EXPECT_EQ(console.pstate.pending_action, kActionReboot);
  console.pstate.pending_action = kActionNone;
  command_shutdown(console);
  EXPECT_TRUE(console.app.quit);
  console.app.quit = false;

  // Outside execute mode a running program may not change files.
  console.app.options.execute = false;
  console.pstate.program_running = true;
  command_save(console, "blocked");
  command_mkdir(console, "blocked");
  command_reboot(console);
  console.app.options.execute = true;
  EXPECT_FALSE(fs::exists(fs::path(root) / "blocked.tm"));
  EXPECT_FALSE(fs::exists(fs::path(root) / "blocked"));
  EXPECT_EQ(console.pstate.pending_action, kActionNone);
}

TEST_F(SystemCommands, InstallDemosCopiesAllButTheHeadCartridge) {
  mount({{"head.tm", "-- head"}, {"one.tm", "-- one"}, {"two.tm", "-- two"}});
  command_install_demos(console);
  EXPECT_EQ(take_output(), "installed 2 demos to /demos/\n");
  EXPECT_FALSE(fs::exists(fs::path(root) / "demos/head.tm"));
  EXPECT_EQ(cart::load_cartridge_any_format(root + "demos/two.tm").cartridge->code, "-- two");
}

TEST_F(SystemCommands, ExtcmdWordsAndTheirMessages) {
  const struct {
    const char* command;
    const char* text;
    const char* message;     // on the message bar afterwards
    const char* base_name;   // extcmd("set_filename") result
  } cases[] = {
      {"set_filename", "shot.v2.png", "", "shot"},
      {"set_filename", nullptr, "", ""},
      {"set_filename", "plain", "", "plain"},
      {"nonsense", nullptr, "unknown extcmd:nonsense", "plain"},
      {"breadcrumb", nullptr, "unknown extcmd:breadcrumb", "plain"},
      {"go_back", nullptr, "unknown extcmd:go_back", "plain"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    console.app.message.text.clear();
    ExtcmdRequest request{std::string(c.command), {}, 0, 0};
    if (c.text) request.text = c.text;
    command_extcmd(console, request);
    EXPECT_EQ(console.app.message.text, c.message);
    EXPECT_EQ(console.commands.output_base_name, c.base_name);
  }
  // The pause menu's pages open only over a running program.
  command_extcmd(console, {std::string("pause"), {}, 0, 0});
  EXPECT_EQ(console.pstate.pause_state, 0);
  const int mode = console.pstate.console_mode;
  const bool running = console.pstate.program_running;
  console.pstate.console_mode = kModeRunning;
  console.pstate.program_running = true;
  command_extcmd(console, {std::string("controls"), {}, 0, 0});
  EXPECT_EQ(console.pstate.pause_state, 3);
  command_extcmd(console, {std::string("pause"), {}, 0, 0});
  EXPECT_EQ(console.pstate.pause_state, 1);
  console.pstate.pause_state = 0;
  console.pstate.console_mode = mode;
  console.pstate.program_running = running;

  // A restart through the glitch at most every 500 ms.
  console.pstate.glitch_frames = 0;
  command_extcmd(console, {std::string("reset"), {}, 0, 0});
  EXPECT_EQ(console.pstate.glitch_frames, 1);
  console.pstate.glitch_frames = 0;
  time.now_ms += 499;
  command_extcmd(console, {std::string("reset"), {}, 0, 0});
  EXPECT_EQ(console.pstate.glitch_frames, 0);
  time.now_ms += 1;
  command_extcmd(console, {std::string("reset"), {}, 0, 0});
  EXPECT_EQ(console.pstate.glitch_frames, 1);
  console.pstate.glitch_frames = 0;

  command_extcmd(console, {std::string("shutdown"), {}, 0, 0});
  EXPECT_TRUE(console.app.quit);
}

TEST_F(SystemCommands, HelpAnswersEveryTopicForm) {
  const struct {
    std::optional<std::string> topic;
    bool given;
    const char* output;
  } cases[] = {
      {"<gfx>", true, "type the topic without <>. e.g.:\nhelp gfx\n"},
      {std::nullopt, true, "try: help <topic> instead. e.g.\nhelp gfx\n"},
      {std::string(33, 'x'), true, "try: help <topic> instead. e.g.\nhelp gfx\n"},
      {"nonsense", true, "topic not found:\nnonsense\n"},
      {"#", true, "#x is the length of x\na string's bytes, or a table's\nsequence 1..n\nsee also: tables strings\n"},
  };
  for (const auto& c : cases) {
    command_help(console, {c.given, c.topic});
    EXPECT_EQ(take_output(), c.output) << c.topic.value_or("(none)");
  }
  command_help(console, {false, {}});
  const std::string summary = take_output();
  EXPECT_EQ(summary.substr(0, 11), "\ncommands\n\n");
  EXPECT_NE(summary.find("gfx data audio system math lua\n"), std::string::npos);
}

// Every function a cartridge can call (every global function of a running
// program whose name does not start with "_"), every keyword and every
// category has a help topic that ends with a "see also" line.
TEST_F(CartridgeRun, EveryCartridgeFunctionHasAHelpTopic) {
  HeadlessRunResult result = run_code(
      "for k, v in pairs(_ENV) do if type(v) == 'function' and sub(k, 1, 1) != '_' then printh(k) end end", 1);
  ASSERT_TRUE(result.started);
  HelpTopics help = parse_help_topics(console.app.data.help_text);
  std::vector<std::string> names = {"gfx", "data", "audio", "system", "math", "lua", "input", "strings", "string",
                                    "tables", "table", "#", "about", "function", "return", "while", "do", "repeat",
                                    "until", "if", "then", "elseif", "else", "for", "in", "true", "false", "nil",
                                    "local", "type", "boolean", "and", "or", "not", "operators"};
  std::istringstream printed(result.standard_output);
  int functions = 0;
  for (std::string name; std::getline(printed, name); functions++) names.push_back(name);
  EXPECT_GT(functions, 120);
  for (const std::string& name : names) {
    auto found = help.topics.find(name);
    ASSERT_NE(found, help.topics.end()) << name;
    ASSERT_FALSE(found->second.empty()) << name;
    EXPECT_EQ(found->second.back().substr(0, 10), "see also: ") << name;
    for (const std::string& line : found->second) EXPECT_LE(line.size(), 32u) << name << ": " << line;
  }
}

// A program loads one of the data file's cartridges with a breadcrumb; that
// one goes back through extcmd("breadcrumb"): both run, in turn.
TEST_F(CartridgeRun, ALoadWithABreadcrumbComesBackThroughExtcmd) {
  after_frame = [](int frame, Console& console) {
    if (frame != 0) return;
    console.app.options.execute = false;  // loads run only outside execute mode
    const std::string code = "printh('b ' .. stat(100)) function _update() extcmd('breadcrumb') end";
    cart::mount_embedded_cart_items(console.embedded_carts, {{host::kFirstEmbeddedCartItem, "b.tm", image_of_code(code)}});
  };
  HeadlessRunResult result = run_code(
      "cartdata('breadcrumb_round_trip') local run = dget(0) dset(0, run + 1) printh('a run ' .. run) "
      "local frames = 0 "
      "function _update() frames += 1 if frames == 3 then if run == 0 then load('b', 'back') else stop() end end end",
      150);
  ASSERT_TRUE(result.started);
  EXPECT_EQ(result.standard_output, "a run 0\nb back\na run 1\n");
  host::virtual_disk_clear(host::virtual_disk());
}

}  // namespace
}  // namespace tamori::shell::testing
