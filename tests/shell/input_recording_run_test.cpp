// Input recordings around whole headless runs: a run driven by scripted
// buttons records them (-o), and replaying the recording (-i) with no
// script drives the cartridge through the same screens.
#include <gtest/gtest.h>

#include <vector>

#include "cartridge_run_fixture.h"
#include "host/files.h"
#include "host/log.h"
#include "input/input_recording.h"

namespace tamori::shell {
namespace {

// Moves a dot with the arrows, changes its colour on O (btnp) and leaves a
// trail, so every button press shows in the screen hashes.
const char* const kCart = R"(
x, y, c, f = 64, 64, 7, 0
function _update()
  f += 1
  if btn(0) then x -= 1 end
  if btn(1) then x += 1 end
  if btn(2) then y -= 1 end
  if btn(3) then y += 1 end
  if btnp(4) then c = c % 15 + 1 end
  if btn(5, 1) then y += 2 end
end
function _draw()
  rectfill(0, 0, 127, 4, 0)
  print(f, 0, 0, 7)
  pset(x, y, c)
end
)";

class InputRecordingRun : public testing::CartridgeRun {
 protected:
  std::vector<uint64_t> run(const std::vector<std::string>& extra_arguments, const ButtonScript& buttons,
                            int frames) {
    std::filesystem::path path = home / "cart.lua";
    std::ofstream(path, std::ios::binary) << kCart;
    std::vector<uint64_t> hashes;
    HeadlessRunOptions options;
    options.cartridge = path.string();
    options.home = (home / "data").string();
    options.program_folder = TAMORI_BUILD_DIR;
    options.frames = frames;
    options.buttons = buttons;
    options.extra_arguments = extra_arguments;
    options.after_frame = [&hashes](int, Console& console) { hashes.push_back(screen_memory_hash(console)); };
    HeadlessRunResult result = run_headless(console, time, options);
    EXPECT_TRUE(result.started);
    int width = 0, height = 0;
    final_screen = screen_rgba(console, &width, &height);
    ruvo_exit(console);
    return hashes;
  }
  std::vector<uint8_t> final_screen;
};

TEST_F(InputRecordingRun, ReplayReachesTheSameScreensAsTheLiveButtons) {
  ButtonScript buttons;
  int bad_line = 0;
  ASSERT_TRUE(parse_button_script("3 r\n10 ru o\n14 o\n15 -\n18 o x\n22 l\n30 d\n36 -\n40 o\n", &buttons,
                                  &bad_line));
  const std::string recording = (home / "play.txt").string();
  const std::vector<uint64_t> live = run({"-o", recording}, buttons, 50);
  const std::vector<uint8_t> live_screen = final_screen;

  std::optional<std::vector<uint8_t>> bytes = host::read_file(recording);
  ASSERT_TRUE(bytes);
  input::InputReplay parsed =
      input::parse_input_recording(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  EXPECT_EQ(parsed.error, "");
  ASSERT_EQ(parsed.frames.size(), 50u) << "one line per tick";
  EXPECT_EQ(parsed.frames[2][0], 0);
  EXPECT_EQ(parsed.frames[3][0], 0x02);
  EXPECT_EQ(parsed.frames[18][0], 0x10);
  EXPECT_EQ(parsed.frames[18][1], 0x20);

  const std::vector<uint64_t> replayed = run({"-i", recording}, {}, 50);
  EXPECT_EQ(replayed, live);
  EXPECT_EQ(final_screen, live_screen);

  // Without the recording the same run looks different: the comparison can fail.
  const std::vector<uint64_t> idle = run({}, {}, 50);
  EXPECT_NE(idle.back(), live.back());
}

TEST_F(InputRecordingRun, MalformedRecordingPlaysItsGoodPartThenStops) {
  const std::string recording = (home / "bad.txt").string();
  std::filesystem::create_directories(home);
  std::string text = std::string(input::kRecordingHeader) + "\n";
  for (int frame = 0; frame < 8; frame++) text += "02 00 00 00 00 00 00 00\n";
  text += "02 00 zz\n";
  for (int frame = 0; frame < 8; frame++) text += "02 00 00 00 00 00 00 00\n";
  ASSERT_TRUE(host::write_file(recording, text));

  ButtonScript right_for_eight;
  int bad_line = 0;
  ASSERT_TRUE(parse_button_script("0 r\n8 -\n", &right_for_eight, &bad_line));
  const std::vector<uint64_t> scripted = run({}, right_for_eight, 20);
  host::ruvo_log_capture(true);
  const std::vector<uint64_t> replayed = run({"-i", recording}, {}, 20);
  const std::string log = host::ruvo_log_captured();
  host::ruvo_log_capture(false);
  EXPECT_EQ(replayed, scripted);
  EXPECT_NE(log.find("line 10: expected eight button bytes"), std::string::npos) << log;
  EXPECT_NE(log.find("ended after 8 frames"), std::string::npos) << log;
}

}  // namespace
}  // namespace tamori::shell
