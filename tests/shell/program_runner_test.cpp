// The runner through the console: program limits, a program that never
// yields, execute mode ending the console, persistent data files.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cartridge_run_fixture.h"
#include "lang/api.h"
#include "runner/program_runner.h"
#include "lang/token_scanner.h"
#include "shell/cartridge_runner.h"
#include "cart/tmscii_utf8.h"

namespace tamori::shell::testing {
namespace {

constexpr const char* kProgram = "printh('ran')\n";

// A cartridge holds at most 65535 characters of code, so a longer program
// comes from two included files. Reading a program file ends its code with
// a line feed, so the expanded text is first, two line feeds, second and two
// more line feeds.
std::string included_program_of_length(const std::filesystem::path& folder, size_t length) {
  const std::string first = "printh('ran')";
  const std::string second = "--" + std::string(length - first.size() - 4 - 2, 'a');
  std::ofstream(folder / "first.lua", std::ios::binary) << first;
  std::ofstream(folder / "second.lua", std::ios::binary) << second;
  return "#include first.lua\n#include second.lua";
}

// kProgram followed by statements until it counts exactly `tokens` tokens.
std::string program_of_tokens(int tokens) {
  std::string text = kProgram;
  while (lang::count_tokens(text + "x=1\n") <= tokens) text += "x=1\n";
  for (const char* tail : {"", "local x\n", "local x\nlocal y\n"})
    if (lang::count_tokens(text + tail) == tokens) return text + tail;
  ADD_FAILURE() << "no program of " << tokens << " tokens";
  return text;
}

TEST_F(CartridgeRun, SixtyFiveThousandFiveHundredThirtySixCharactersAreTheLimit) {
  EXPECT_EQ(run_code(included_program_of_length(home, 65536), 3).standard_output, "ran\n");
  ruvo_exit(console);
  EXPECT_EQ(run_code(included_program_of_length(home, 65537), 3).standard_output,
            "program exceeds char limit\n65537 / 65536 chars\n");
}

TEST_F(CartridgeRun, EightThousandOneHundredNinetyTwoTokensAreTheLimit) {
  EXPECT_EQ(run_code(program_of_tokens(8192), 3).standard_output, "ran\n");
  ruvo_exit(console);
  EXPECT_EQ(run_code(program_of_tokens(8193), 3).standard_output, "program too large\n8193 / 8192 tokens\n");
}

TEST_F(CartridgeRun, AnUpdateThatNeverReturnsStillEndsEverySliceOnItsBudget) {
  int frames_seen = 0;
  after_frame = [&](int, Console& running) {
    frames_seen++;
    EXPECT_EQ(running.pstate.console_mode, kModeRunning);
  };
  HeadlessRunResult result = run_code("function _update() while true do end end\nfunction _draw() end\n", 40);
  EXPECT_EQ(result.frames_run, 40);
  EXPECT_EQ(frames_seen, 40);
  EXPECT_FALSE(result.quit);
  EXPECT_TRUE(runner::program_runner().hold_flag);  // the frame never completed
  // The governor runs only at the end of a frame, so the rate stays.
  EXPECT_EQ(console.pstate.current_fps, 30);
}

TEST_F(CartridgeRun, ExecuteModeQuitsWithStatusZeroWhenTheProgramEnds) {
  std::filesystem::path cart = home / "ends.lua";
  std::ofstream(cart) << "printh('bye')\n";
  std::string printed;
  host::ruvo_set_clock(host::virtual_clock(&time));
  std::vector<std::string> arguments = {"tamori", "-home", (home / "data").string(), "-foreground_sleep_ms", "10",
                                        "-x", cart.string()};
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  StartupOptions startup;
  startup.program_folder = TAMORI_BUILD_DIR;
    startup.write_stdout = [&printed](std::string_view text) { printed += text; };
  EXPECT_EQ(ruvo_main(int(argv.size()), argv.data(), startup), 0);
  EXPECT_EQ(printed, "bye\n");
}

TEST_F(CartridgeRun, ExecuteModeOfAMissingCartridgeEndsWithStatusOne) {
  HeadlessRunResult result = run_file((home / "missing.tm").string(), 3);
  EXPECT_FALSE(result.started);
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.standard_output, "could not load " + (home / "missing.tm").string() + "\n");
}

std::string find_file_text(const std::filesystem::path& folder, const std::string& name) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.path().filename() != name) continue;
    std::ifstream file(entry.path());
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }
  return "";
}

TEST_F(CartridgeRun, CartdataOpensAnEmptyIdAndSavesWhatWasSetWhenTheProgramStops) {
  HeadlessRunResult result = run_code(
      "printh(tostr(cartdata('runner_test')))\nprinth(dget(0))\ndset(0, 1)\ndset(63, -1)\n"
      "printh(dget(0))\nprinth(dget(64))\n",
      3);
  EXPECT_EQ(result.standard_output, "false\n0\n1\n0\n");
  std::string file = find_file_text(home, "runner_test.tmd.txt");
  ASSERT_EQ(file.size(), 520u);
  EXPECT_EQ(file.substr(0, 8), "00010000");
  EXPECT_EQ(file.substr(520 - 9, 8), "ffff0000");
  ruvo_exit(console);
  EXPECT_EQ(run_code("printh(tostr(cartdata('runner_test')))\nprinth(dget(0))\n", 3).standard_output,
            "true\n1\n");
}

TEST_F(CartridgeRun, CartdataRejectsBadIdsAndDataBeforeAnId) {
  EXPECT_EQ(run_code("dget(0)\n", 3).standard_output,
            "runtime error line 1 tab 0\ndget(0)\ndget called before cartdata()\nat line 1 (tab 0)\n");
  ruvo_exit(console);
  EXPECT_EQ(run_code("cartdata('Bad')\n", 3).standard_output,
            "runtime error line 1 tab 0\ncartdata('Bad')\ncart data id: bad char\nat line 1 (tab 0)\n");
  ruvo_exit(console);
  EXPECT_EQ(run_code("for i = 1, 5 do cartdata('id' .. i) end\n", 3).standard_output,
            "runtime error line 1 tab 0\nfor i = 1, 5 do cartdata('id' .. i) end\ntoo many cartdata() slots\n"
            "at line 1 (tab 0)\n");
}

TEST_F(CartridgeRun, IncludedFilesAreReadBesideTheCartridge) {
  std::ofstream(home / "lib.lua") << "function shout(s) printh(s .. '!') end\n";
  EXPECT_EQ(run_code("#include lib.lua\nshout('hi')\n", 3).standard_output, "hi!\n");
  ruvo_exit(console);
  HeadlessRunResult missing = run_code("#include nowhere.lua\n", 3);
  EXPECT_EQ(missing.standard_output, "can not #include\n");
  EXPECT_TRUE(missing.quit);  // execute mode does not wait for a program that never started
}

TEST_F(CartridgeRun, TheSameSeedGivesTheSameRandomNumbers) {
  const char* code = "printh(rnd(100))\nsrand(5)\nprinth(rnd())\nprinth(rnd(0))\nprinth(tostr(rnd({})))\n";
  std::string first = run_code(code, 3).standard_output;
  ruvo_exit(console);
  std::string second = run_code(code, 3).standard_output;
  EXPECT_EQ(first, second);
  EXPECT_NE(first.find("\n0\n[nil]\n"), std::string::npos) << first;
}

TEST_F(CartridgeRun, StatAnswersForAConsoleWithoutAudioOrDevkitInput) {
  EXPECT_EQ(run_code("printh(stat(5)) printh(tostr(stat(64))) printh(stat(16)) printh(stat(56))\n"
                     "printh(tostr(stat(57))) printh(stat(11)) printh(stat(12)) printh(stat(999))\n",
                     3)
                .standard_output,
            "43\n[nil]\n-1\n-1\nfalse\n1\n23\n0\n");
}


TEST(ButtonScript, FramesHoldTheirButtonsUntilTheNextLine) {
  ButtonScript script;
  int bad_line = 0;
  ASSERT_TRUE(parse_button_script("# left for player 0, then both actions for player 1\n0 l\n10 - ox\n12 3 17\n",
                                  &script, &bad_line));
  ASSERT_EQ(script.size(), 3u);
  EXPECT_EQ(script[0][0], 1);
  EXPECT_EQ(script[10][0], 0);
  EXPECT_EQ(script[10][1], 0x30);
  EXPECT_EQ(script[12][0], 3);
  EXPECT_EQ(script[12][1], 17);
  for (const char* bad : {"x l\n", "0 q\n", "0 256\n", "0 1 2 3 4 5 6 7 8 9\n"}) {
    ButtonScript ignored;
    EXPECT_FALSE(parse_button_script(std::string("1 l\n") + bad, &ignored, &bad_line)) << bad;
    EXPECT_EQ(bad_line, 2) << bad;
  }
}

TEST_F(CartridgeRun, ScriptedButtonsReachTheButtonMemory) {
  HeadlessRunOptions options;
  std::ofstream(home / "buttons.lua") << "function _update() printh(peek(0x5f4c) .. ' ' .. peek(0x5f4d)) end\n";
  options.cartridge = (home / "buttons.lua").string();
  options.home = (home / "data").string();
  options.program_folder = TAMORI_BUILD_DIR;
  options.frames = 4;
    int bad_line = 0;
  ASSERT_TRUE(parse_button_script("1 r\n2 - ox\n", &options.buttons, &bad_line));
  EXPECT_EQ(run_headless(console, time, options).standard_output, "0 0\n2 0\n0 48\n0 48\n");
}

TEST_F(CartridgeRun, FrameHashesFollowScreenMemory) {
  std::vector<uint64_t> hashes;
  after_frame = [&](int, Console& running) { hashes.push_back(screen_memory_hash(running)); };
  run_code("function _draw() if t() > 0.05 then poke(0x6000, 7) end end\n", 4);
  ASSERT_EQ(hashes.size(), 4u);
  // t() passes 0.05 in the second frame (30 fps: 2/60 a frame).
  EXPECT_NE(hashes[0], hashes[1]);
  EXPECT_EQ(hashes[1], hashes[2]);
  EXPECT_EQ(hashes[2], hashes[3]);
}


TEST_F(CartridgeRun, AStoppedProgramResumesWhereItStopped) {
  HeadlessRunResult result =
      run_code("n = 0\nfunction _update() n += 1 printh('frame ' .. n) if n == 2 then stop() end end\n", 10);
  EXPECT_EQ(result.standard_output, "frame 1\nframe 2\n");
  ASSERT_TRUE(result.quit);
  console.app.quit = false;
  std::string printed;
  console.app.write_stdout = [&printed](std::string_view text) { printed += text; };
  runner::run_program("resume", true);
  EXPECT_EQ(console.pstate.console_mode, kModeRunning);
  run_one_frame(console);
  run_one_frame(console);
  EXPECT_EQ(printed, "frame 3\nframe 4\n");
}

TEST_F(CartridgeRun, AFinishedProgramCannotBeResumed) {
  run_code("printh('done')\n", 3);
  std::string printed;
  console.app.write_stdout = [&printed](std::string_view text) { printed += text; };
  runner::run_program("r", true);
  EXPECT_EQ(printed, "nothing to resume\n");
  EXPECT_EQ(console.pstate.console_mode, kModeStopped);
}

TEST_F(CartridgeRun, AProgramThatKeepsEverythingItAllocatesRunsOutOfMemory) {
  HeadlessRunResult result = run_code(
      "local keep, i = {}, 0\nfunction _update() for j = 1, 2000 do i += 1 keep[i] = {i, i, i} end end\n", 400);
  EXPECT_TRUE(result.quit);
  EXPECT_EQ(result.standard_output, "out of memory\n");
}

// The runner steps the collector once per section: a program that throws
// away far more than the memory limit over its run never needs an
// emergency collection, and the collector stays stopped while it runs.
TEST_F(CartridgeRun, GarbageMadeEveryFrameIsReclaimedByTheSectionSteps) {
  HeadlessRunResult result = run_code(
      "frames = 0\n"
      "function _update() for j = 1, 3000 do local t = {j, j} end frames += 1\n"
      "  if frames == 150 then printh('done') end end\n",
      160);
  EXPECT_EQ(result.standard_output, "done\n");
  runner::ProgramRunner& runner = runner::program_runner();
  EXPECT_EQ(0, runner.gc_strikes);
  ASSERT_NE(nullptr, runner.cart_state);
  EXPECT_FALSE(lang::collector_running(runner.cart_state));
}

// A program living near the memory limit strikes every frame; after 64
// strikes each section starts with a full collection, so a frame begins
// with nothing but live memory.
TEST_F(CartridgeRun, AfterSixtyFourStrikesEverySectionCollectsFully) {
  HeadlessRunResult result = run_code(
      "s = 'x' for i = 1, 16 do s = s .. s end\n"
      "live = {} for i = 1, 28 do live[i] = s .. i end\n"
      "frames = 0\n"
      "function _update()\n"
      "  frames += 1\n"
      "  if frames == 100 then\n"
      "    local before = stat(99)\n"
      "    printh(before - stat(0) < 1 and 'only live memory' or 'garbage left')\n"
      "  end\n"
      "  for i = 1, 8 do local garbage = s .. (frames * 10 + i) end\n"
      "end\n",
      102);
  EXPECT_EQ(result.standard_output, "only live memory\n");
  runner::ProgramRunner& runner = runner::program_runner();
  EXPECT_GT(runner.gc_strikes, 64);
}


TEST_F(CartridgeRun, FollowingABreadcrumbRunsItsCartridgeWithItsParameter) {
  run_code("printh('first')\n", 3);
  std::ofstream(home / "back.lua") << "printh('back with ' .. stat(6))\n";
  runner::ProgramRunner& runner = runner::program_runner();
  runner::run_chain_push(runner.run_chain, (home / "back.lua").string(), "back", 0, "level 3");
  std::string printed;
  console.app.quit = false;
  console.app.write_stdout = [&printed](std::string_view text) { printed += text; };
  ASSERT_TRUE(follow_current_breadcrumb(console));
  EXPECT_TRUE(runner.run_chain.entries.empty());
  EXPECT_EQ(console.pstate.pending_action, kActionRun);
  // The console holds the previous picture for 20 frames before running.
  for (int frame = 0; frame < 22 && printed.empty(); frame++) run_one_frame(console);
  EXPECT_EQ(printed, "back with level 3\n");
  EXPECT_FALSE(follow_current_breadcrumb(console));
}


TEST_F(CartridgeRun, ADotRunsOneFrameAndACommandLeavesTheCartridgeResumable) {
  run_code("n = 0\nfunction _update() n += 1 printh('frame ' .. n) if n == 1 then stop() end end\n", 10);
  std::string printed;
  console.app.quit = false;
  console.app.write_stdout = [&printed](std::string_view text) { printed += text; };

  // A command runs in its own coroutine and sees the cartridge's globals.
  runner::run_program("printh('n is ' .. n)", true);
  for (int frame = 0; frame < 3; frame++) run_one_frame(console);
  EXPECT_EQ(printed, "n is 1\n");
  EXPECT_EQ(console.pstate.console_mode, kModeStopped);

  // "." resumes the cartridge up to its next flip: first the rest of the
  // frame stop() interrupted, then one whole frame each time.
  printed.clear();
  runner::run_program(".", true);
  for (int frame = 0; frame < 4; frame++) run_one_frame(console);
  EXPECT_EQ(printed, "");
  EXPECT_EQ(console.pstate.console_mode, kModeStopped);
  runner::run_program(".", true);
  for (int frame = 0; frame < 4; frame++) run_one_frame(console);
  EXPECT_EQ(printed, "frame 2\n");
  runner::run_program("", true);  // empty while stepping: one more frame
  for (int frame = 0; frame < 4; frame++) run_one_frame(console);
  EXPECT_EQ(printed, "frame 2\nframe 3\n");
  EXPECT_EQ(console.pstate.console_mode, kModeStopped);
}


// The glyph characters as they are written in a program file.
std::string glyph(int code) { return std::string(cart::tmscii_code_as_utf8(uint8_t(code))); }

TEST_F(CartridgeRun, GlyphVariablesHaveTheirDefaultsUnlessSet) {
  std::string code = glyph(145) + " = 9\n";
  for (int code_point : {139, 145, 148, 131, 142, 151, 128, 129, 133, 153})
    code += "printh(" + glyph(code_point) + ")\n";
  EXPECT_EQ(run_code(code, 3).standard_output, "0\n9\n2\n3\n4\n5\n0.5\n23130.5\n-18402.5\n21845.5\n");
}

TEST_F(CartridgeRun, PrinthAppendsToLogFilesAndScoresubAnswersNothing) {
  HeadlessRunResult result = run_code(
      "printh('one', 'runlog')\nprinth('two', 'runlog')\nprinth('three', 'other.txt', true)\n"
      "local a, b = scoresub()\nprinth(tostr(a) .. ' ' .. b)\nprinth('x', 'Bad Name')\n",
      3);
  // The failing line is the prelude's printh, so only the traceback
  // points into the program.
  EXPECT_EQ(result.standard_output, "[nil] 0\nruntime error\nprinth: bad log file name\nat line 6 (tab 0)\n");
  EXPECT_EQ(find_file_text(home, "runlog.tml"), "one\ntwo\n");
  EXPECT_EQ(find_file_text(home, "other.txt"), "three\n");
  EXPECT_EQ(console.app.message.text, "high scores not implemented yet!");
}

}  // namespace
}  // namespace tamori::shell::testing
