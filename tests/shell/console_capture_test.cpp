// Capture through the running console: the capture keys, the frames the
// main loop and flip record, extcmd's capture words and the -export option.
#include "shell/console_capture.h"

#include <gif_lib.h>
#include <lodepng.h>

#include <fstream>
#include <sstream>

#include "capture/audio_recording.h"
#include "capture/sound_export.h"
#include "cart/picture_cartridge.h"
#include "cartridge_run_fixture.h"
#include "host/keys.h"
#include "host/scancodes.h"
#include "shell/headless_sound.h"

namespace tamori::shell {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> files_in(const fs::path& folder) {
  std::vector<std::string> names;
  if (!fs::is_directory(folder)) return names;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), folder).string());
  std::sort(names.begin(), names.end());
  return names;
}

int gif_image_count(const std::string& path, int* width = nullptr) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (!gif) return -1;
  const int count = DGifSlurp(gif) == GIF_OK ? gif->ImageCount : -1;
  if (width) *width = gif->SWidth;
  DGifCloseFile(gif, &error);
  return count;
}

std::string stargarden_with_code(const std::string& code) {
  std::ifstream in(std::string(TAMORI_SOURCE_DIR) + "/../assets/carts/stargarden.tm", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string cart = text.str();
  const size_t lua = cart.find("__lua__\n") + 8;
  return cart.substr(0, lua) + code + "\n" + cart.substr(cart.find("__gfx__"));
}

class ConsoleCapture : public testing::CartridgeRun {
 protected:
  void SetUp() override {
    CartridgeRun::SetUp();
    desktop = home / "desk";
  }
  // Runs `code` for `frames` frames with captures going to `desktop`.
  HeadlessRunResult run(const std::string& code, int frames, const std::string& name = "cart.lua") {
    HeadlessRunResult result = run_code(code, 0, name);
    host::ruvo_config().desktop_path = desktop.string() + "/";
    console.app.write_stdout = [this](std::string_view text) { output += text; };
    for (int i = 0; i < frames; i++) frame();
    return result;
  }
  // One frame of 1/30 s; the sound the device would have played meanwhile
  // is mixed once the first frame is over.
  void frame() {
    time.now_ms += 33;
    testing::run_one_frame(console);
    record_owed_sound(console, sound);
  }
  void press(std::initializer_list<int> keys) {
    for (int key : keys) host::keys_host_down(console.app.keys, key);
    frame();
    for (int key : keys) host::keys_host_up(console.app.keys, key);
    frame();
  }
  int message_ms() const { return console.app.message.end_ms - console.app.message.start_ms; }
  std::string base() const { return capture::output_name_base(console.app.data.title); }

  fs::path desktop;
  std::string output;  // standard output after the start
  SoundRecording sound;
};

constexpr const char* kRedSquare = "function _draw() cls(1) rectfill(0,0,63,63,8) end";

TEST_F(ConsoleCapture, CaptureKeysWriteToTheDesktop) {
  run(kRedSquare, 50);
  using namespace host::scancode;
  press({LeftCtrl, Digit6});
  EXPECT_EQ(console.app.message.text, "saved screenshot to desktop");
  EXPECT_EQ(message_ms(), 1400);
  std::vector<unsigned char> rgba;
  unsigned width = 0, height = 0;
  ASSERT_EQ(lodepng::decode(rgba, width, height, (desktop / (base() + "_0.png")).string()), 0u);
  EXPECT_EQ(width, 384u) << "screenshot_scale 3";
  EXPECT_EQ(rgba[0], console.app.palette[8][0]);
  EXPECT_EQ(rgba[(300 * 384 + 300) * 4 + 2], console.app.palette[1][2]);

  press({F6});
  EXPECT_TRUE(fs::exists(desktop / (base() + "_1.png"))) << "F6 is the second screenshot key";
  press({LeftAlt, LeftCtrl, Digit6});
  EXPECT_FALSE(fs::exists(desktop / (base() + "_2.png"))) << "not with Alt held";

  const int frames = console.capture.video.count;
  EXPECT_GE(frames, 50);
  press({LeftCtrl, Digit9});
  EXPECT_EQ(console.app.message.text, "saved " + std::to_string((frames + 1 + 15) / 30) + " second gif to desktop");
  EXPECT_EQ(message_ms(), 1900);
  EXPECT_EQ(gif_image_count((desktop / (base() + "_0.gif")).string()), frames + 1);

  press({LeftCtrl, Digit8});
  EXPECT_EQ(console.app.message.text, "set video starting point");
  EXPECT_EQ(console.capture.video.count, 1) << "the frame after the key";
  console_settings().gif_len = 0;
  press({LeftCtrl, Digit8});
  press({F9});
  EXPECT_EQ(console.app.message.text, "no video recorded (rec: ctrl-8)");
  EXPECT_EQ(files_in(desktop).size(), 3u);
}

TEST_F(ConsoleCapture, ResetModeAndFailingDesktop) {
  run(kRedSquare, 20);
  using namespace host::scancode;
  console_settings().gif_reset_mode = 1;
  press({LeftCtrl, Digit9});
  EXPECT_EQ(console.app.message.text, "saved 1 second gif to desktop");
  EXPECT_EQ(console.capture.video.count, 1) << "reset after the saved gif";

  std::ofstream(home / "not_a_folder") << "x";
  host::ruvo_config().desktop_path = (home / "not_a_folder" / "Desktop").string() + "/";
  press({LeftCtrl, Digit6});
  EXPECT_EQ(console.app.message.text, "** failed to save screenshot");
  EXPECT_EQ(message_ms(), 1900);
  press({LeftCtrl, Digit9});
  EXPECT_EQ(console.app.message.text, "** failed to save video");
  EXPECT_EQ(console.app.quit, false) << "the console goes on";
}

TEST_F(ConsoleCapture, FramesPerTickFollowTheFrameRate) {
  run(kRedSquare, 1);
  const struct {
    int fps;
    bool paused;
    bool odd_frame;
    int frames;
  } cases[] = {{30, false, false, 1}, {60, false, true, 1}, {60, false, false, 0},
               {15, false, false, 2}, {60, true, false, 1}, {15, true, false, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fps);
    console.pstate.current_fps = c.fps;
    console.pstate.odd_frame = c.odd_frame;
    const int before = console.capture.video.count;
    record_tick_video(console, c.paused);
    EXPECT_EQ(console.capture.video.count - before, c.frames);
  }
  console.capture.video.record_every_flip = true;
  const int before = console.capture.video.count;
  record_tick_video(console, false);
  EXPECT_EQ(console.capture.video.count, before) << "flip records instead";
  console.capture.video.record_every_flip = false;
  console_settings().gif_len = 0;
  record_tick_video(console, false);
  EXPECT_EQ(console.capture.video.count, before);
}

TEST_F(ConsoleCapture, SixtyFramesASecondRecordEverySecondFrame) {
  run("function _update60() end function _draw() cls(2) end", 0);
  const int before = console.capture.video.count;
  for (int i = 0; i < 60; i++) frame();
  EXPECT_EQ(console.capture.video.count - before, 30);
}

TEST_F(ConsoleCapture, RecFramesRecordsEachFlipAndVideoSaves) {
  const HeadlessRunResult result = run(R"(
function _init() extcmd("rec_frames") end
f = 0
function _update() f += 1 if f == 45 then extcmd("video", 2) end end
function _draw() cls(f % 16) end)",
                                       60);
  EXPECT_EQ(console.app.message.text, "saved 1 second gif to desktop");
  int width = 0;
  EXPECT_EQ(gif_image_count((desktop / (base() + "_0.gif")).string(), &width), 44);
  EXPECT_EQ(width, 256);
  EXPECT_FALSE(console.capture.video.record_every_flip) << "video ends frame-controlled recording";
}

TEST_F(ConsoleCapture, ExtcmdScreenLabelAndNames) {
  run(R"(
function _draw()
  cls(12) circfill(64, 64, 20, 8)
  f = (f or 0) + 1
  if f == 2 then extcmd("label") save("labelled.tm.png") end
  if f == 3 then extcmd("screen", 1, 1) end
  if f == 4 then extcmd("set_filename", "x/y/../me.png") extcmd("screen", 2) end
  if f == 5 then extcmd("video", 0, 1) end
end)",
      6);
  // The label is the screen as shown, and the saved picture carries it.
  machine::Picture shown;
  shown_screen(console, shown);
  EXPECT_EQ(console.working.cartridge->label, std::vector<uint8_t>(shown.begin(), shown.end()));
  cart::CartridgeHost picture_host;
  picture_host.console_data = &console.app.data;
  cart::PictureLoadResult loaded =
      cart::load_picture_file((home / "data" / "carts" / "labelled.tm.png").string(), picture_host);
  ASSERT_TRUE(loaded.cartridge);
  EXPECT_EQ(loaded.cartridge->label, console.working.cartridge->label);

  const fs::path appdata = home / "data" / "appdata" / base();
  EXPECT_EQ(files_in(appdata), (std::vector<std::string>{base() + "_0.png", "x y .gif"}))
      << "the chosen name stays for later captures";
  EXPECT_EQ(console.app.message.text, "saved 0 second gif");
  EXPECT_EQ(files_in(desktop), std::vector<std::string>{"x y .png"})
      << "the chosen name stays in the desktop folder";
  std::vector<unsigned char> rgba;
  unsigned width = 0, height = 0;
  ASSERT_EQ(lodepng::decode(rgba, width, height, (appdata / (base() + "_0.png")).string()), 0u);
  EXPECT_EQ(width, 128u);
}

TEST_F(ConsoleCapture, AudioRecordingToWav) {
  run(stargarden_with_code(R"(
f = 0
function _update()
  f += 1
  if f == 2 then extcmd("audio_rec") sfx(3) end
  if f == 20 then extcmd("audio_end") extcmd("audio_end") end
end)"),
      0, "sound.tm");
  for (int i = 0; i < 25; i++) frame();
  const std::vector<std::string> written = files_in(desktop);
  ASSERT_EQ(written, std::vector<std::string>{base() + "_0.wav"});
  std::ifstream in(desktop / written[0], std::ios::binary);
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(file.size(), 44u + 10000u) << "about 18 frames of sound";
  const std::array<uint8_t, capture::kWavHeaderSize> header = capture::wav_header(uint32_t(file.size() - 44));
  EXPECT_TRUE(std::equal(header.begin(), header.end(), file.begin()));
  EXPECT_TRUE(std::any_of(file.begin() + 44, file.end(), [](uint8_t b) { return b != 0; }));
}

// "no recording in progress" is a console line: on standard output in
// execute mode.
TEST_F(ConsoleCapture, EndingWithoutARecording) {
  const HeadlessRunResult result = run_code("extcmd('audio_end')", 2);
  EXPECT_NE(result.standard_output.find("no recording in progress"), std::string::npos) << result.standard_output;
}

class SoundExportOption : public ConsoleCapture {
 protected:
  // Starts the console with -export NAME CART; returns the exit status.
  std::optional<int> export_sound(const std::string& name, const std::string& cart) {
    ruvo_exit(console);
    arguments = {"tamori", "-home", (home / "data").string(), "-headless", "-export", name, cart};
    argv.clear();
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    StartupOptions startup;
    startup.program_folder = TAMORI_BUILD_DIR;
    startup.write_stdout = [this](std::string_view text) { output += text; };
    output.clear();
    return ruvo_main_init(console, int(argv.size()), argv.data(), startup);
  }
  std::vector<int16_t> samples_of(const std::string& path, size_t skip) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples;
    for (size_t i = skip; i + 1 < bytes.size(); i += 2) samples.push_back(int16_t(bytes[i] | bytes[i + 1] << 8));
    return samples;
  }
  std::vector<std::string> arguments;
  std::vector<const char*> argv;
};

TEST_F(SoundExportOption, AnEffectSoundsAsItDoesPlayedAloneOnASilentConsole) {
  after_frame = [this](int, Console& running) { record_owed_sound(running, sound); };
  const std::string cart = (home / "export.tm").string();
  std::ofstream(cart, std::ios::binary) << stargarden_with_code("function _init() sfx(0) end function _update() end");
  run_file(cart, 40);
  const int ticks = 32 * console.working.cartridge->sound_effects[0].speed;
  const size_t length = size_t(ticks) * capture::kExportTickSamples;

  EXPECT_EQ(export_sound((home / "effect.wav").string(), cart), 0);
  EXPECT_EQ(output, "sfx 0 :: ticks " + std::to_string(32 * std::max(1, int(console.working.cartridge->sound_effects[0].speed))) +
                        "\nwrote 1 file \n");
  EXPECT_EQ(export_sound((home / "effect.raw").string(), cart), 0);
  // Effect 0 (a plain waveform: nothing random in it) through the numbered
  // export of all 64.
  EXPECT_EQ(export_sound((home / "all_%d.wav").string(), cart), 0);
  EXPECT_NE(output.find("sfx 63 :: ticks"), std::string::npos);
  EXPECT_NE(output.find("wrote 64 files\n"), std::string::npos);
  const std::vector<int16_t> exported = samples_of((home / "all_0.wav").string(), 44);
  ASSERT_EQ(exported.size(), length);
  // The running console heard silence until the effect began (the sound
  // resumes a few frames into a run); from there on the two are the same.
  auto first_sound = [](const std::vector<int16_t>& samples) {
    return std::find_if(samples.begin(), samples.end(), [](int16_t sample) { return sample != 0; }) - samples.begin();
  };
  const std::ptrdiff_t lead = first_sound(sound.samples) - first_sound(exported);
  ASSERT_GE(lead, 0);
  ASSERT_GE(sound.samples.size(), size_t(lead) + length);
  EXPECT_EQ(exported, std::vector<int16_t>(sound.samples.begin() + lead, sound.samples.begin() + lead + std::ptrdiff_t(length)));
  EXPECT_EQ(samples_of((home / "effect.raw").string(), 0), samples_of((home / "effect.wav").string(), 44));
}

TEST_F(SoundExportOption, OtherNamesAndFailures) {
  const std::string cart = std::string(TAMORI_SOURCE_DIR) + "/../assets/carts/sound.tm";
  EXPECT_EQ(export_sound((home / "game.html").string(), cart), 0);
  EXPECT_EQ(output, "export is unavailable\n");
  EXPECT_EQ(export_sound((home / "no_folder" / "x.wav").string(), cart), 0);
  EXPECT_EQ(output, "sfx 0 :: ticks 320\ncould not open file\nwrote 0 files\n");
  EXPECT_EQ(export_sound((home / "two_%d_%d.wav").string(), cart), 0);
  EXPECT_EQ(output.substr(0, 6), "sfx 0 ") << "two numbers: only the selected effect";
  EXPECT_TRUE(fs::exists(home / "two_%d_%d.wav"));
  EXPECT_EQ(export_sound((home / "x.wav").string(), (home / "missing.tm").string()), 1);
  EXPECT_EQ(output, "could not load " + (home / "missing.tm").string() + "\n");
}

TEST(MusicExport, RunsUntilTheMusicStops) {
  auto audio = std::make_unique<audio::AudioState>();
  std::array<audio::SoundEffect, audio::kSoundEffectCount> effects{};
  std::array<audio::MusicPattern, audio::kMusicPatternCount> patterns{};
  effects[1].speed = 2;
  for (int note = 0; note < 32; note++) effects[1].notes[note] = {uint8_t(30 + note % 5), 1, 4, 0};
  patterns[0].tracks[0] = 1;  // the other three tracks stay silent
  patterns[0].flags = 0x04;   // stop at the end
  const std::vector<int16_t> samples = capture::render_music(*audio, effects.data(), patterns.data(), 0);
  // 32 notes of 2 ticks, and the tick in which the sequencer finds the end.
  EXPECT_EQ(samples.size(), size_t(65 * capture::kExportTickSamples));
  EXPECT_TRUE(std::any_of(samples.begin(), samples.end(), [](int16_t sample) { return sample != 0; }));
  // Music that loops back to itself is cut off at 32767 ticks.
  patterns[0].flags = 0x02;
  EXPECT_EQ(capture::render_music(*audio, effects.data(), patterns.data(), 0).size(),
            size_t(capture::kMostMusicExportTicks) * capture::kExportTickSamples);
}

}  // namespace
}  // namespace tamori::shell
