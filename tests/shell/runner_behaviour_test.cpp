// The runner's behaviour around a running program: the load wrapper's
// answers for each stat(107), stop printing like print, and console lines
// of a running program scrolling (and charging for it) unless it asked
// not to.
#include <string>

#include "cartridge_run_fixture.h"
#include "lang/api.h"
#include "lang/cpu_counters.h"
#include "lang/library.h"
#include "runner/program_runner.h"
#include "machine/memory.h"
#include "shell/cartridge_runner.h"
#include "shell/console_text.h"

namespace tamori::shell::testing {
namespace {

// A stand-in for the native load: __load(status, result) leaves `status` for
// stat(107) and returns `result`.
int fake_native_load(lang::ThreadState* thread) {
  runner::program_runner().load_status = lang::integer_at(thread, 1);
  lang::set_top(thread, 2);
  return 1;
}

TEST_F(CartridgeRun, TheLoadWrapperTurnsStat107IntoItsAnswers) {
  const std::string code =
      "for case in all({{1, false}, {-1, true}, {-2, true}, {-3, true}, {-9, true}, {0, 'native'}, {0}}) do\n"
      "  local ok, message = load(case[1], case[2])\n"
      "  printh(case[1] .. ': ' .. tostr(ok) .. ' ' .. tostr(message))\n"
      "end\n";
  std::ofstream(home / "load.lua", std::ios::binary) << code;
  HeadlessRunOptions options;
  options.cartridge = (home / "load.lua").string();
  options.home = (home / "data").string();
  options.program_folder = TAMORI_BUILD_DIR;
  options.frames = 20;
  options.register_functions = [](lang::ThreadState* state) {
    lang::register_native(state, "__load", fake_native_load);
  };
  HeadlessRunResult result = run_headless(console, time, options);
  EXPECT_EQ(result.standard_output,
            "1: true [nil]\n"
            "-1: false could not find cart\n"
            "-2: false could not fetch cart\n"
            "-3: false could not connect to bbs\n"
            "-9: false access denied\n"
            "0: native [nil]\n"
            "0: false access denied\n");
}

int count_colour(const uint8_t* pixels, int top, int bottom, uint8_t colour) {
  int count = 0;
  for (int y = top; y <= bottom; y++)
    for (int x = 0; x < machine::kScreenSide; x++) count += pixels[y * machine::kScreenSide + x] == colour ? 1 : 0;
  return count;
}

TEST_F(CartridgeRun, StopPrintsItsArgumentsLikePrintAndOnTheConsole) {
  HeadlessRunResult result = run_code("camera(50, 50)\ncls(1)\nstop('bye', 10, 20, 8)\nprinth('not reached')\n", 5);
  EXPECT_EQ(result.standard_output, "");
  ASSERT_TRUE(result.quit);
  // The camera was reset before printing, so the text lands at (10, 20).
  const uint8_t* screen = console.machine->display_pages[0].pixels;
  EXPECT_GT(count_colour(screen, 20, 24, 8), 0);
  EXPECT_EQ(count_colour(screen, 0, 19, 8), 0);
  EXPECT_EQ(count_colour(screen, 25, 127, 8), 0);
  EXPECT_GT(count_colour(console.app.console_text.pixels.data(), 0, 5, 6), 0);
}

TEST_F(CartridgeRun, ConsoleLinesOfARunningProgramScrollUnlessItAsksNotTo) {
  run_code("printh('started')\n", 2);
  console.app.options.execute = false;
  console.pstate.console_mode = kModeRunning;
  console.pstate.program_running = true;
  ConsoleTextScreen& text = console.app.console_text;

  const struct {
    uint8_t flags;          // 0x5f36
    bool program_running;
    int32_t cycles;         // charged for one line at the bottom
    int cursor_y;
  } cases[] = {
      {0x00, true, 0x20000, 120},
      {0x40, true, 0, 126},
      {0x40, false, 0x20000, 120},  // only a running program may keep the screen still
      {0xbf, true, 0x20000, 120},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(int(entry.flags));
    console.pstate.program_running = entry.program_running;
    machine::write_memory_byte(*console.machine, 0x5f36, entry.flags);
    text.cursor_y = 120;
    text.pixels.fill(0);
    text.pixels[0] = 5;  // moves away with a scroll
    lang::lua_reset_cpu_cycles();
    print_console_line(console, "line", 6);
    EXPECT_EQ(lang::lua_get_cpu_cycles(), entry.cycles);
    EXPECT_EQ(text.cursor_y, entry.cursor_y);
    EXPECT_EQ(text.pixels[0] == 5, entry.cycles == 0);
  }
  // Without scrolling the cursor stays just below the screen however many
  // lines follow.
  console.pstate.program_running = true;
  machine::write_memory_byte(*console.machine, 0x5f36, 0x40);
  for (int line = 0; line < 100; line++) print_console_line(console, "more", 6);
  EXPECT_LE(text.cursor_y, machine::kScreenSide);
}

}  // namespace
}  // namespace tamori::shell::testing

namespace tamori::shell::testing {
namespace {

TEST_F(CartridgeRun, MenuitemWithANonNumericIndexStopsTheProgram) {
  HeadlessRunResult result = run_code("printh('before')\nmenuitem('x')\nprinth('after')\n", 5);
  EXPECT_EQ(result.standard_output, "before\n");
  EXPECT_TRUE(result.quit);
  EXPECT_EQ(console.pstate.console_mode, kModeStopped);
  // The reason is the console's first line.
  EXPECT_GT(count_colour(console.app.console_text.pixels.data(), 0, 5, 6), 0);
}

}  // namespace
}  // namespace tamori::shell::testing

namespace tamori::shell::testing {
namespace {

// Each _draw clears the screen to a new colour, then works for longer than
// a slice (even after the rate drops to 15): while the frame is unfinished
// the previous picture stays.
TEST_F(CartridgeRun, AnUnfinishedFrameKeepsThePreviousPicture) {
  int held = 0, changed = 0;
  machine::Picture previous{};
  after_frame = [&](int frame, Console& running) {
    const machine::Picture& picture = running.app.output_image;
    if (runner::program_runner().hold_flag) {
      held++;
      if (frame > 0) {
        EXPECT_EQ(picture, previous) << frame;
      }
    } else if (picture != previous) {
      changed++;
    }
    previous = picture;
  };
  run_code("c = 1\nfunction _draw() cls(c) c = c % 15 + 1 for j = 1, 40 do for i = 1, 10000 do end end end\n", 40);
  EXPECT_GT(held, 5);
  EXPECT_GT(changed, 5);
}

}  // namespace
}  // namespace tamori::shell::testing

namespace tamori::shell::testing {
namespace {

TEST(BoardCartridgeId, OnlyFilesInTheBoardCacheHaveOne) {
  const std::string data = "/home/p/.tamori/";
  const struct {
    const char* file;
    const char* id;
  } cases[] = {
      {"/home/p/.tamori/bbs/carts/space_race-3.tm.png", "space_race-3"},
      {"/home/p/.tamori/bbs/carts/12345.tm", "12345"},
      {"/home/p/.tamori/bbs/carts/My Game#x9.tm.png", "x9"},  // the run ends at a character outside the set
      {"/home/p/.tamori/bbs/carts/notes.txt", ""},
      {"/home/p/.tamori/carts/space_race-3.tm.png", ""},      // not the board's folder
      {"/elsewhere/bbs/carts/a.tm", ""},
  };
  for (const auto& entry : cases) EXPECT_EQ(board_cartridge_id(entry.file, data), entry.id) << entry.file;
  EXPECT_EQ(board_cartridge_id("/home/p/.tamori/bbs/a.tm", ""), "");
}

}  // namespace
}  // namespace tamori::shell::testing

namespace tamori::shell::testing {
namespace {

lang::ValueType global_type(lang::ThreadState* state, const std::string& name) {
  lang::get_global(state, name);
  const lang::ValueType type = lang::type_at(state, -1);
  lang::set_top(state, -2);
  return type;
}

// Every registered global of a console's fresh language state (before a
// prelude deletes its private names), fast functions where the numeric and
// the simplest drawing and memory functions are. The system commands of
// the console (load, run, save, extcmd ...) are not part of this table.
TEST_F(CartridgeRun, EveryBuiltInIsRegisteredInTheRightForm) {
  run_code("printh('ran')\n", 2);
  runner::reset_lua_machine();
  lang::ThreadState* state = runner::program_runner().cart_state;
  ASSERT_NE(state, nullptr);
  const char* fast[] = {"ceil", "sgn",  "abs", "mid",  "cos",  "sin",   "sqrt",  "atan2", "bnot", "flr",
                        "band", "bor",  "bxor", "shl", "shr",  "lshr",  "rotl",  "rotr",  "min",  "max",
                        "srand", "poke", "poke2", "poke4", "pset", "pget", "rect", "rectfill"};
  const char* natives[] = {
      "deli", "add", "del", "count", "rnd", "flip", "__flip", "__superyield", "peek", "peek2", "peek4",
      "memcpy", "memset", "reload", "cstore", "reset", "camera", "clip", "cls", "color", "rrect", "rrectfill",
      "circ", "circfill", "oval", "ovalfill", "line", "pal", "palt", "fillp", "spr", "sspr", "tline", "map",
      "mapdraw", "mget", "mset", "fget", "fset", "sget", "sset", "stop", "__stop", "time", "t", "scoresub",
      "print", "__print", "cursor", "btn", "btnp", "printh", "__printh", "_menuitem", "tostr", "__tostr",
      "tonum", "cartdata", "dget", "dset", "stat", "music", "sfx", "serial", "sub", "chr", "ord", "split",
      "__pairs__", "__ipairs__", "type", "next", "inext", "setmetatable", "getmetatable", "rawequal", "rawlen",
      "rawget", "rawset", "assert", "cocreate", "coresume", "yield", "costatus", "unpack", "pack", "select",
      "__trace", "trace", "holdframe", "_startframe", "_get_menu_item_selected", "_update_buttons",
      "_update_framerate", "_set_mainloop_exists", "_set_fps", "_mark_cpu", "_map_display", "__refund_cpu__",
      "__yielded_to_escape_slice", "tostring", "__tostring__", "__type", "__select", "__coresume"};
  for (const char* name : fast) EXPECT_EQ(global_type(state, name), lang::ValueType::FastFunction) << name;
  for (const char* name : natives) EXPECT_EQ(global_type(state, name), lang::ValueType::LightNative) << name;
}

}  // namespace
}  // namespace tamori::shell::testing

namespace tamori::shell::testing {
namespace {

// The prelude's refund hook is a local that a program naming it could call.
TEST_F(CartridgeRun, OnlyAProgramThatNamesTheRefundHookLosesRefunds) {
  run_code("printh('plain')\n", 2);
  ASSERT_NE(runner::program_runner().cart_state, nullptr);
  EXPECT_TRUE(lang::cpu_refund_allowed(runner::program_runner().cart_state));
  run_code("for i = 1, 10 do __refund_cpu__(100) end\n", 2);
  ASSERT_NE(runner::program_runner().cart_state, nullptr);
  EXPECT_FALSE(lang::cpu_refund_allowed(runner::program_runner().cart_state));
}

// The keep-on-stop flags (0x5f2e, here 0) decide what a stopping cartridge
// resets; a command that ends keeps what it set.
TEST_F(CartridgeRun, ACommandKeepsTheDrawStateItSetWhenItEnds) {
  run_code("pal(1, 2, 1)\ncamera(5, 5)\n", 3);
  EXPECT_EQ(machine::read_memory_byte(*console.machine, 0x5f11), 1);
  runner::run_program("pal(1, 3, 1) camera(7, 7)", true);
  for (int frame = 0; frame < 3; frame++) run_one_frame(console);
  EXPECT_EQ(console.pstate.console_mode, kModeStopped);
  EXPECT_EQ(machine::read_memory_byte(*console.machine, 0x5f11), 3);
  EXPECT_EQ(machine::read_memory_byte(*console.machine, 0x5f28), 0);  // the camera resets in every case
}

}  // namespace
}  // namespace tamori::shell::testing

namespace tamori::shell::testing {
namespace {

TEST_F(CartridgeRun, AStoppingProgramDiscardsTheCharactersTypedForIt) {
  after_frame = [](int frame, Console& running) {
    if (frame == 1) running.input.keyboard.typed = "abc";
  };
  HeadlessRunResult result = run_code("n = 0\nfunction _update() n += 1 if n == 4 then stop() end end\n", 10);
  ASSERT_TRUE(result.quit);
  EXPECT_EQ(console.input.keyboard.typed, "");
}

}  // namespace
}  // namespace tamori::shell::testing

namespace tamori::shell::testing {
namespace {

// With two displays side by side the built-in loop draws each display in
// turn once the program asks for several displays, and the single-display
// note never appears.
TEST_F(CartridgeRun, TheBuiltInLoopDrawsEveryDisplayOfTheLayout) {
  std::ofstream(home / "displays.lua", std::ios::binary)
      << "printh(stat(11) .. ' ' .. tostr(_map_display(1)))\n"
         "poke(0x5f36, 1)\n"
         "n = 0\n"
         "function _draw() n += 1 printh('draw on ' .. stat(3)) if n == 4 then stop() end end\n";
  HeadlessRunOptions options;
  options.cartridge = (home / "displays.lua").string();
  options.home = (home / "data").string();
  options.program_folder = TAMORI_BUILD_DIR;
  options.frames = 10;
  options.extra_arguments = {"-displays_x", "2"};
  HeadlessRunResult result = run_headless(console, time, options);
  EXPECT_EQ(result.standard_output, "2 false\ndraw on 0\ndraw on 1\ndraw on 0\ndraw on 1\n");
}

}  // namespace
}  // namespace tamori::shell::testing
